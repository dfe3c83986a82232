# The version of every program and package comes from project(VERSION ...): a generated header
# for the code and the resource scripts, a generated manifest for the dialog program.
set(DEXAL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version/DexalVersion.h.in
               ${DEXAL_GENERATED_DIR}/DexalVersion.h @ONLY)
add_library(dexal_version INTERFACE)
target_include_directories(dexal_version INTERFACE ${DEXAL_GENERATED_DIR}
                                                  ${CMAKE_CURRENT_LIST_DIR}/version)
