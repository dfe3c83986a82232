# What the packages carry and how CPack makes them: from the Windows build an NSIS setup program
# and a zip to run without installing, from the native build a Debian package.
# CPack finds our NSIS template (a 64-bit setup program) on the module path.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/packaging)
set(CPACK_PACKAGE_NAME "DexalCSVDownloader")
set(CPACK_PACKAGE_VENDOR "The Dexal CSV downloader authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Downloads the stored results of a Dexal analyser to CSV")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Clinical engineers test defibrillators and pacemakers with a Dexal analyser.\n"
    "These programs download the analyser's stored test results over its\n"
    "USB-serial line into a CSV file, with the captured pulses and the energy,\n"
    "peaks and width computed from them, and turn a downloaded file into an HTML\n"
    "report with pulse plots and one flat table.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/packaging/PerGenerator.cmake)

set(DEXAL_PROGRAMS)
foreach(program DexalCSVDownloader dexal-download dexal-report dexal-tester-sim)
  if(TARGET ${program})
    list(APPEND DEXAL_PROGRAMS ${program})
  endif()
endforeach()

if(WIN32)
  list(REMOVE_ITEM DEXAL_PROGRAMS dexal-tester-sim)
  install(TARGETS ${DEXAL_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Dexal CSV downloader")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "DexalCSVDownloader")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DISPLAY_NAME "Dexal CSV downloader")
  set(CPACK_NSIS_PACKAGE_NAME "Dexal CSV downloader")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "DexalCSVDownloader.exe")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  set(CPACK_PACKAGE_EXECUTABLES "DexalCSVDownloader" "Dexal CSV downloader")
  if(TARGET dexal-report)
    list(APPEND CPACK_PACKAGE_EXECUTABLES "dexal-report" "Dexal CSV report")
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(GNUInstallDirs)
  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/dexal-csv-downloader)
  install(TARGETS ${DEXAL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${doc_dir})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/packaging/copyright DESTINATION ${doc_dir})
  include(${CMAKE_CURRENT_LIST_DIR}/packaging/ManPages.cmake)
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  set(CPACK_DEBIAN_PACKAGE_NAME "dexal-csv-downloader")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION "science")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER
      "The Dexal CSV downloader authors <dexal-csv-downloader@users.noreply.github.com>")
endif()

include(CPack)
