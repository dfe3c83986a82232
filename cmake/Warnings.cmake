# Warnings are errors everywhere; MSVC gets the equivalent level.
function(dexal_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                              -Wshadow -Wconversion -Wno-sign-conversion)
  endif()
endfunction()
