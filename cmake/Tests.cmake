# Unit tests sit beside the code they pin (foo.cc / foo_test.cc) and link into one GoogleTest
# binary; command-line tests are bats files under tests/, one ctest entry per file.
#
# The program itself needs only CMake, Ninja and a compiler: when GoogleTest or bats is missing
# the tests are left out with one line saying how to get them, and the build goes on. The test
# presets refuse to run no tests, so a test run without them still fails loudly.
find_package(GTest QUIET)
find_program(BATS bats)
if(NOT GTest_FOUND OR NOT BATS)
    message(STATUS "Tests left out (GoogleTest or bats missing); to get them: bash scripts/install-deps.sh")
    return()
endif()
include(GoogleTest)

# Every case leaves a report under test-reports/ (gtest XML, bats TAP), so that CI can count
# cases rather than ctest entries: one bats file is one entry, however many cases it holds.
set(TRAKKO_REPORTS ${PROJECT_BINARY_DIR}/test-reports)
file(MAKE_DIRECTORY ${TRAKKO_REPORTS}/unit)

file(GLOB_RECURSE TRAKKO_UNIT_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*_test.cc)
add_executable(trakko_tests ${TRAKKO_UNIT_TESTS})
target_link_libraries(trakko_tests PRIVATE trakko_lib GTest::gtest GTest::gtest_main)
# The password-database cases need nss_wrapper preloaded; they run as unit.nss below.
gtest_discover_tests(trakko_tests DISCOVERY_MODE PRE_TEST TEST_FILTER -*Nss.*
    XML_OUTPUT_DIR ${TRAKKO_REPORTS}/unit
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")

# In the sanitizer build every run of the binary is checked for leaks too: nothing it allocates
# may become unreachable, whatever way the run ends.
file(GLOB TRAKKO_BATS_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*.bats)
foreach(bats_file IN LISTS TRAKKO_BATS_FILES)
    get_filename_component(bats_name ${bats_file} NAME_WE)
    file(MAKE_DIRECTORY ${TRAKKO_REPORTS}/cli.${bats_name})
    add_test(NAME cli.${bats_name} COMMAND ${BATS} --report-formatter tap
        --output ${TRAKKO_REPORTS}/cli.${bats_name} ${bats_file})
    set_tests_properties(cli.${bats_name} PROPERTIES
        ENVIRONMENT "TRAKKO=$<TARGET_FILE:trakko>;TRAKKO_BUILD_DIR=${PROJECT_BINARY_DIR};TRAKKO_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0")
endforeach()

# The password-database unit cases run under nss_wrapper, against passwd files that they write
# into the build tree themselves.
add_test(NAME unit.nss COMMAND trakko_tests --gtest_filter=*Nss.*
    --gtest_output=xml:${TRAKKO_REPORTS}/unit/unit.nss.xml)
set_tests_properties(unit.nss PROPERTIES
    ENVIRONMENT "LD_PRELOAD=libnss_wrapper.so;NSS_WRAPPER_PASSWD=${PROJECT_BINARY_DIR}/nss/passwd;NSS_WRAPPER_GROUP=${PROJECT_BINARY_DIR}/nss/group;ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0")
