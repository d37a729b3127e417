# Installation and the Debian package (`cpack -G DEB` in the build folder
# makes kpv_<version>_amd64.deb).
#
# The installed program folder is /usr/lib/kpv: the program, kpvtool and the
# shipped sub-folders, laid out as build/app, plus the marker file that tells
# the program it runs installed (each user then works in a client folder of
# their own, made from this folder at their first start). /usr/bin holds
# links to the two programs; the desktop entry, the icon and the user guide
# go where the desktop and the documentation look for them.

set(KPV_INSTALL_DIR lib/kpv)

install(TARGETS kpv kpvtool RUNTIME DESTINATION ${KPV_INSTALL_DIR})
# The office's libraries are not on the loader's path; the program finds
# them where LibreOffice keeps them, as in the build.
set_target_properties(kpv PROPERTIES INSTALL_RPATH /usr/lib/libreoffice/program)

# Only the shipped books: a build folder that was run keeps user data beside
# them (settings, a ledger, backup copies), which never goes into a package.
install(FILES "${KPV_APP_DIR}/原本Excel/在庫出力台帳.xls" "${KPV_APP_DIR}/原本Excel/Mb入出庫月報.xls"
        DESTINATION ${KPV_INSTALL_DIR}/原本Excel)
install(FILES "${KPV_APP_DIR}/原本INP/Mb在庫品INP.xls" "${KPV_APP_DIR}/原本INP/Mb在庫品項目INP.xls"
        DESTINATION ${KPV_INSTALL_DIR}/原本INP)
install(FILES "${KPV_APP_DIR}/見本INP/Mb在庫品INP.xls" "${KPV_APP_DIR}/見本INP/Mb在庫品項目INP.xls"
        DESTINATION ${KPV_INSTALL_DIR}/見本INP)
# The pictures folder ships empty: the user logo is each site's own.
install(DIRECTORY DESTINATION ${KPV_INSTALL_DIR}/設備画像)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/kpv-installed" DESTINATION ${KPV_INSTALL_DIR})

file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/packaging")
foreach(program kpv kpvtool)
  file(CREATE_LINK ../${KPV_INSTALL_DIR}/${program} "${CMAKE_BINARY_DIR}/packaging/${program}" SYMBOLIC)
  install(FILES "${CMAKE_BINARY_DIR}/packaging/${program}" DESTINATION bin)
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/packaging/kpv.desktop" DESTINATION share/applications)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/kpv.svg" DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/kpv-${size}.png"
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME kpv.png)
endforeach()

# The user guide with its pictures (docs/ja refers to the pictures in docs).
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/" DESTINATION share/doc/kpv
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kpv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KPV")
set(CPACK_PACKAGE_CONTACT "KPV予備品管理 <kpv@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "予備品管理 - spare-parts and inventory ledger")
set(CPACK_PACKAGE_DESCRIPTION
    "The plant maintenance department's ledger of spare parts and stocked items:\n"
    "item cards with monthly receipts and issues, stock and stock value, finding,\n"
    "sorting and deleting, workbook output and import through LibreOffice Calc, and\n"
    "a data folder that several PCs may share on a file server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# The libraries the programs link (Qt 6, ICU, the office's UNO libraries)
# come from dpkg-shlibdeps (Qt's display and picture plugins come with its
# GUI library); what the program starts or uses at run time is named here:
# the office, the Japanese font, the opener of documents. cifs-utils mounts
# a data folder shared from a file server.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libreoffice-calc, fonts-ipafont-gothic, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cifs-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
