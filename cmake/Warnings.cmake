# Warnings for our own targets. Third-party headers are included as SYSTEM so that
# they do not trip these. COM interfaces have no virtual destructors by design (objects
# are destroyed through Release), so -Wnon-virtual-dtor is not used.
function(s4_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  endif()
endfunction()
