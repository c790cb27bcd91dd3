# The C library's checked variants of its string and stdio calls (_FORTIFY_SOURCE), where they
# cost nothing worth measuring. They work only in an optimised build (some C libraries warn
# otherwise, and -Werror would stop the build), so the check compiles with the flags of the
# build type and asks for __OPTIMIZE__. A toolchain that defines the macro itself keeps its own
# level: defining it again would warn, and the check fails the same way. The sanitizer and fuzz
# builds do without: AddressSanitizer checks the same calls, and more.
if(TRAKKO_SANITIZE OR TRAKKO_FUZZ)
    return()
endif()
include(CheckCXXSourceCompiles)
string(TOUPPER "${CMAKE_BUILD_TYPE}" trakko_build_type)
set(CMAKE_REQUIRED_FLAGS "${CMAKE_CXX_FLAGS_${trakko_build_type}} -D_FORTIFY_SOURCE=2 -Werror")
check_cxx_source_compiles("#include <cstdio>
#ifndef __OPTIMIZE__
#error not optimised
#endif
int main() { return std::puts(\"\") < 0; }" TRAKKO_FORTIFY_SOURCE_${trakko_build_type})
unset(CMAKE_REQUIRED_FLAGS)
if(TRAKKO_FORTIFY_SOURCE_${trakko_build_type})
    add_compile_definitions(_FORTIFY_SOURCE=2)
endif()

# Not -z now (binding every imported function at start-up, lintian's hardening-no-bindnow): the
# loader would then resolve all of the C library functions that trakko imports before main,
# where a plain lookup calls only a few of them; under callgrind that took a lookup from 130,737
# to 161,947 instructions, a quarter more.
