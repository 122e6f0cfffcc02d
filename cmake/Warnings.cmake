# Warnings are errors in every build.
function(drvsetup_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wformat=2
                                             -Wno-missing-field-initializers)
endfunction()
