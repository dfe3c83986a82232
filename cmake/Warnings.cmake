# Warnings are errors everywhere; MSVC gets the equivalent level.
function(dexal_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                              -Wshadow -Wconversion -Wno-sign-conversion)
    # GCC 12 reports std::string concatenations as overlapping copies when optimising (GCC bug
    # 105329, a false positive); the sanitizer builds still check real overlaps.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()
