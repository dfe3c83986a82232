# Warnings are errors everywhere; MSVC gets the equivalent level.
function(dexal_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                              -Wshadow -Wconversion -Wno-sign-conversion)
    # When optimising, GCC 12 takes std::string concatenations for overlapping copies and
    # vector inserts for out-of-bounds writes (GCC bugs 105329, 107852: false positives). The
    # sanitizer builds check real overlaps and bounds at run time.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict -Wno-array-bounds)
    endif()
  endif()
endfunction()
