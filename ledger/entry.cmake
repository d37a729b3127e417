# The card's entry tools.
# kpv_entry_core: routing of card clicks, word lists, calculator logic,
# write-back and the card's messages (Qt Core only); kpv_entry: the panels and
# the calculator window.
add_library(kpv_entry_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/entry_state.h
  ${CMAKE_CURRENT_LIST_DIR}/entry_card_sink.h
  ${CMAKE_CURRENT_LIST_DIR}/card_messages.h ${CMAKE_CURRENT_LIST_DIR}/card_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_router.h ${CMAKE_CURRENT_LIST_DIR}/entry_router.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_panels.h ${CMAKE_CURRENT_LIST_DIR}/entry_panels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calculator.h ${CMAKE_CURRENT_LIST_DIR}/calculator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pick_list_entries.h ${CMAKE_CURRENT_LIST_DIR}/pick_list_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_of_use.h ${CMAKE_CURRENT_LIST_DIR}/start_of_use.cpp
)
target_include_directories(kpv_entry_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kpv_entry_core PUBLIC kpv_storage Qt6::Core)

add_library(kpv_entry STATIC
  ${CMAKE_CURRENT_LIST_DIR}/entry_helpers.h ${CMAKE_CURRENT_LIST_DIR}/entry_helpers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_panel_mover.h ${CMAKE_CURRENT_LIST_DIR}/entry_panel_mover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form12.h ${CMAKE_CURRENT_LIST_DIR}/form12.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pick_list_panel.h ${CMAKE_CURRENT_LIST_DIR}/pick_list_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_of_use_panel.h ${CMAKE_CURRENT_LIST_DIR}/start_of_use_panel.cpp
)
set_target_properties(kpv_entry PROPERTIES AUTOMOC ON)
target_link_libraries(kpv_entry PUBLIC kpv_entry_core kpv_ledger_core kpv_ui Qt6::Widgets)
# The ledger screen hosts the entry tools.
if(TARGET kpv_ledger)
  target_link_libraries(kpv_ledger PUBLIC kpv_entry)
endif()
