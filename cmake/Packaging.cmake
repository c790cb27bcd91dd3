# Install layout and the Debian package. Everything lands where a distribution puts it, so
# that man, bash-completion and zsh find the files without any set-up:
#   bin/trakko                                   the program
#   share/man/man1/trakko.1.gz                   the manual page
#   share/bash-completion/completions/trakko     bash completion (loaded on first use)
#   share/zsh/vendor-completions/_trakko         zsh completion under /usr (Debian's zsh)
#   share/zsh/site-functions/_trakko             zsh completion under any other prefix
#   share/fish/vendor_completions.d/trakko.fish  fish completion (found under /usr and /usr/local)
#   share/trakko/trakko.{bash,zsh,ksh,fish}      the shell integration, sourced from rc files
#   share/doc/trakko/copyright                   the licence, in Debian's machine-readable form
#   share/doc/trakko/changelog.gz, README.md
include(GNUInstallDirs)

set(TRAKKO_DATADIR ${CMAKE_INSTALL_DATAROOTDIR})

# Plain 0755, spelled out: the program must never carry a set-user-id or set-group-id bit.
install(TARGETS trakko RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                WORLD_READ WORLD_EXECUTE)

# Compressed as Debian policy asks; -n keeps the name and time stamp out, so the package is
# the same from one build to the next.
find_program(GZIP gzip REQUIRED)
set(TRAKKO_MAN_GZ ${PROJECT_BINARY_DIR}/trakko.1.gz)
add_custom_command(OUTPUT ${TRAKKO_MAN_GZ}
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/doc/trakko.1 > ${TRAKKO_MAN_GZ}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/trakko.1
    COMMENT "Compressing the manual page"
    VERBATIM)
set(TRAKKO_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TRAKKO_CHANGELOG_GZ}
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/doc/changelog > ${TRAKKO_CHANGELOG_GZ}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(trakko_man ALL DEPENDS ${TRAKKO_MAN_GZ} ${TRAKKO_CHANGELOG_GZ})
install(FILES ${TRAKKO_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES completion/trakko DESTINATION ${TRAKKO_DATADIR}/bash-completion/completions)

# Debian's zsh searches share/zsh/vendor-completions for packaged files and site-functions only
# under /usr/local. The prefix is known only at install time (the package installs under /usr
# whatever the build was configured with), so the choice is made then.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(trakko_zsh_dir vendor-completions)
    else()
        set(trakko_zsh_dir site-functions)
    endif()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${TRAKKO_DATADIR}/zsh/\${trakko_zsh_dir}\"
        TYPE FILE FILES \"${PROJECT_SOURCE_DIR}/completion/_trakko\")
")

# fish reads vendor completions from every share/ of XDG_DATA_DIRS, /usr/local/share included.
install(FILES completion/trakko.fish DESTINATION ${TRAKKO_DATADIR}/fish/vendor_completions.d)

install(FILES share/trakko.bash share/trakko.zsh share/trakko.ksh share/trakko.fish
    DESTINATION ${TRAKKO_DATADIR}/trakko)
# The licence goes in as Debian's copyright file, which holds the MIT text itself: a second
# copy named LICENSE is one that Debian asks packages not to ship.
install(FILES doc/copyright ${TRAKKO_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trakko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The trakko developers")
set(CPACK_PACKAGE_CONTACT "The trakko developers <trakko-bugs@lists.trakko.dev>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write the full path of commands, aliases and shell functions")
set(CPACK_PACKAGE_DESCRIPTION [[
trakko tells which program runs for a command name: it walks PATH and
writes the full path of the first executable match, or of every match
with --all. Fed the shell's own (alias; declare -f) listing, it also
shows shell functions and resolves aliases to the programs they run.
Comes with shell integration for bash, zsh, ksh93, mksh and fish, and
completion for bash, zsh and fish.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
# The C++ runtime is linked in; the libc dependency is worked out when the package is made.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageDepends.cmake)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

include(CPack)
