# Read by cpack once per generator: the setup program and the zip get names of their own.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "DexalCSVDownloader-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "DexalCSVDownloader-${CPACK_PACKAGE_VERSION}-win64")
endif()
