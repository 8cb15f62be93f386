# Warning set for the project's own targets. ZV_WERROR turns them into errors (CI and ./test).
option(ZV_WERROR "Treat compiler warnings as errors in our own code" OFF)

function(zv_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(ZV_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion
                           -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2)
    if(ZV_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
