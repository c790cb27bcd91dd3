# Read by CPack when it makes the package, not at configure time: dpkg-shlibdeps works out the
# libc version that the binary's symbols need, and CPack runs it only with file(1) at hand (it
# stops with an error otherwise: dpkg-dev, pulled in by build-essential, does not bring file).
# Looked for here, so that installing them after the configure needs no fresh one. Without
# either, the package claims any libc6 rather than none, and says so: it is for local use only.
find_program(TRAKKO_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(TRAKKO_FILE_PROGRAM file)
if(TRAKKO_DPKG_SHLIBDEPS AND TRAKKO_FILE_PROGRAM)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS libc6)
    message(WARNING "the package depends on libc6 of any version: dpkg-shlibdeps or file is "
        "missing (apt-get install dpkg-dev file, or bash scripts/install-deps.sh)")
endif()
