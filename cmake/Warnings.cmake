# Warnings are errors in every build.
function(drvsetup_warnings target)
    # -Wrestrict is off: g++ 12 reports std::string concatenation at -O2 as overlapping copies (GCC bug
    # 105329), a false alarm that would make optimised builds fail on correct code.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wformat=2
                                             -Wno-missing-field-initializers)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
