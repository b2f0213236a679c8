# Warnings are errors for everything this project compiles itself.
function(drovik_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
