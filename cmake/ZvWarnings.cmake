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
                           -Wformat=2 $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
                           $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>)
    if(ZV_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
