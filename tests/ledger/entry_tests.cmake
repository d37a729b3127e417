kpv_add_gtest(test_entry_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/entry_fake_card.h ${CMAKE_CURRENT_LIST_DIR}/test_entry_core.cpp
  LIBS kpv_entry_core)
kpv_add_qtest(tst_entry_screen
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/entry_fake_card.h ${CMAKE_CURRENT_LIST_DIR}/tst_entry_screen.cpp
  LIBS kpv_entry)
kpv_add_qtest(tst_entry_form11 SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_entry_form11.cpp LIBS kpv_ledger)
