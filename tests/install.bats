#!/usr/bin/env bats
# Installing and packaging: cmake --install puts every file where a distribution would, and
# the Debian package holds the same tree under /usr and runs. Everything is installed into the
# sandbox; cmake leaves only its install_manifest.txt in the build directory, which no other
# test reads.

bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    VERSION=$(tk -- --version | sed -n '1s/^trakko \([^,]*\),.*/\1/p')
}

teardown() {
    teardown_sandbox
}

# The files that an install under PREFIX (without its leading '/') holds, and their modes.
expected_tree() {
    local prefix=$1 zsh_dir=$2
    {
        echo "755 $prefix/bin/trakko"
        echo "644 $prefix/share/bash-completion/completions/trakko"
        echo "644 $prefix/share/doc/trakko/changelog.gz"
        echo "644 $prefix/share/doc/trakko/copyright"
        [ -f "$TRAKKO_SOURCE_DIR/README.md" ] && echo "644 $prefix/share/doc/trakko/README.md"
        echo "644 $prefix/share/fish/vendor_completions.d/trakko.fish"
        echo "644 $prefix/share/man/man1/trakko.1.gz"
        echo "644 $prefix/share/trakko/trakko.bash"
        echo "644 $prefix/share/trakko/trakko.fish"
        echo "644 $prefix/share/trakko/trakko.ksh"
        echo "644 $prefix/share/trakko/trakko.zsh"
        echo "644 $prefix/share/zsh/$zsh_dir/_trakko"
    } | LC_ALL=C sort -k2
}

# The files under DIR with their modes, paths relative to DIR.
tree_of() {
    (cd "$1" && find . -type f -printf '%m %P\n' | LC_ALL=C sort -k2)
}

install_into() {
    DESTDIR="$SANDBOX/root" cmake --install "$TRAKKO_BUILD_DIR" --prefix "$1" >/dev/null
}

@test "cmake --install puts every file where a distribution would" {
    install_into /usr/local
    run tree_of root
    [ "$output" = "$(expected_tree usr/local site-functions)" ] ||
        { diff <(expected_tree usr/local site-functions) <(echo "$output"); false; }
}

@test "under /usr the zsh completion goes where Debian's zsh looks for packaged completions" {
    install_into /usr
    run tree_of root
    [ "$output" = "$(expected_tree usr vendor-completions)" ] ||
        { diff <(expected_tree usr vendor-completions) <(echo "$output"); false; }
}

@test "the installed files work: binary, manual page, integration, completion" {
    install_into /opt/trakko
    prefix=$SANDBOX/root/opt/trakko
    run "$prefix/bin/trakko" --version
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "trakko $VERSION, Copyright (C) 2026 The trakko developers" ]
    # The page is the one in the sources, and it renders cleanly from where it was installed.
    cmp <(zcat "$prefix/share/man/man1/trakko.1.gz") "$TRAKKO_SOURCE_DIR/doc/trakko.1"
    run --separate-stderr bash -c "zcat '$prefix/share/man/man1/trakko.1.gz' | groff -man -ww -z"
    [ "$status" -eq 0 ]
    [ "$stderr" = "" ]
    # man finds the page through PATH: no MANPATH needed for any prefix.
    run env -i HOME="$SANDBOX" PATH="$prefix/bin:/usr/bin:/bin" man -w trakko
    [ "$output" = "$prefix/share/man/man1/trakko.1.gz" ]
    run bash --norc --noprofile -c \
        ". '$prefix/share/bash-completion/completions/trakko'; complete -p trakko"
    [ "$output" = "complete -F _trakko trakko" ]
    # The installed integration, with the installed binary first on PATH, resolves an alias.
    make_exe tools/lister
    printf '%s\n' ". $prefix/share/trakko/trakko.bash" "alias ll='lister -l'" 'trakko ll' >script
    run env -i HOME="$SANDBOX" PATH="$prefix/bin:$SANDBOX/tools" \
        ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} "$(command -v bash)" --norc --noprofile script </dev/null
    [ "$output" = "$(printf '%s\n' "alias ll='lister -l'" "	$SANDBOX/tools/lister")" ]
}

@test "fish, with XDG_DATA_DIRS unset, finds the installed completion: under ~/.local by itself, elsewhere once the integration is sourced" {
    # prefix | DESTDIR | the line of config.fish | what "trakko --show-" completes to
    while IFS='|' read -r prefix destdir line expected; do
        rm -rf home root && mkdir -p home/.config/fish
        DESTDIR=$destdir cmake --install "$TRAKKO_BUILD_DIR" --prefix "$prefix" >/dev/null
        echo "${line//PREFIX/$destdir$prefix}" >home/.config/fish/config.fish
        run env -i HOME="$SANDBOX/home" PATH="$destdir$prefix/bin:/usr/bin:/bin" TERM=dumb \
            "$(command -v fish)" -i -c "complete -C 'trakko --show-' | string replace -r '\t.*' ''" </dev/null
        [ "$output" = "$(echo -e "$expected")" ] ||
            { printf '%s, "%s": got\n%s\n' "$prefix" "$line" "$output"; false; }
    done <<EOF
$SANDBOX/home/.local|||--show-dot\n--show-tilde
/usr/local|$SANDBOX/root|status is-interactive; and source PREFIX/share/trakko/trakko.fish|--show-dot\n--show-tilde
/usr/local|$SANDBOX/root||
EOF
}

# package_into DIR: builds the Debian package there with the build tree's CPack set-up (CPack
# first runs a no-op build of the up-to-date tree) and prints the package's path.
package_into() {
    mkdir -p "$1"
    (cd "$1" && cpack --config "$TRAKKO_BUILD_DIR/CPackConfig.cmake" -B "$1" >cpack.log 2>&1) ||
        { cat "$1/cpack.log"; return 1; }
    ls "$1"/trakko_*.deb
}

@test "the Debian package holds the tree under /usr, owned by root, and its binary runs" {
    deb=$(package_into "$SANDBOX/pkg")
    [ "$(basename "$deb")" = "trakko_${VERSION}_$(dpkg --print-architecture).deb" ]

    run bash -c "dpkg-deb -c '$deb' | awk '\$1 !~ /^d/ { print \$2, \$6 }' | LC_ALL=C sort -k2"
    expected=$(expected_tree usr vendor-completions | awk '{ print "root/root ./" $2 }')
    [ "$output" = "$expected" ] || { diff <(echo "$expected") <(echo "$output"); false; }

    [ "$(dpkg-deb -f "$deb" Package)" = trakko ]
    [ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ]
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ]
    # libc6 always; a sanitizer build adds its runtime libraries.
    dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -qE '^ *libc6( |$)'
    [[ $(dpkg-deb -f "$deb" Maintainer) == *'<'*@*'>' ]]
    [ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] # a long description, not only a summary

    dpkg-deb -x "$deb" "$SANDBOX/unpacked"
    run "$SANDBOX/unpacked/usr/bin/trakko" --version
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "trakko $VERSION, Copyright (C) 2026 The trakko developers" ]
    make_exe "$SANDBOX/tools/lister"
    run env -i PATH="$SANDBOX/tools" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        "$SANDBOX/unpacked/usr/bin/trakko" lister
    [ "$output" = "$SANDBOX/tools/lister" ]
}

@test "the package passes lintian, with a copyright file, a changelog and the libc it links against" {
    command -v lintian >/dev/null || skip "lintian is not installed (bash scripts/install-deps.sh --ci)"
    ! grep -q '^TRAKKO_SANITIZE:BOOL=ON$' "$TRAKKO_BUILD_DIR/CMakeCache.txt" ||
        skip "a sanitizer build is no package to ship"
    deb=$(package_into "$SANDBOX/pkg")
    run --separate-stderr lintian --fail-on error,warning "$deb"
    [ "$status" -eq 0 ] || { echo "$output"; false; }
    [ "$(echo "$output" | grep -c '^[EW]:')" -eq 0 ]

    dpkg-deb -x "$deb" unpacked
    doc=unpacked/usr/share/doc/trakko
    # The licence text of the copyright file is the one of LICENSE, line for line.
    head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'
    diff <(awk 'prev == "" && $0 == "License: Expat" { on = 1; next }
                on { sub(/^ /, ""); if ($0 == ".") $0 = ""; print } { prev = $0 }' "$doc/copyright") \
        <(sed '1,4d' "$TRAKKO_SOURCE_DIR/LICENSE")
    # gzip -9n: no name, no time stamp (flags and mtime 0) and maximum compression (2), so
    # the package is the same on every build.
    [ "$(od -An -tx1 -N9 "$doc/changelog.gz" | tr -d ' \n')" = 1f8b08000000000002 ]
    zcat "$doc/changelog.gz" | head -1 | grep -q "^trakko ($VERSION) "
    # The libc version the binary needs, as dpkg-shlibdeps computes it from its symbols.
    [[ $(dpkg-deb -f "$deb" Depends) =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]]
    [ "$(stat -c %a unpacked/usr/bin/trakko)" = 755 ]
}

@test "the README's start-up lines load the installed integration, and stay quiet once it is removed" {
    install_into /usr/local
    mkdir -p home/.config/fish
    # The quick start's line for each rc file, for an install into /usr/local, as written there.
    readme_line() {
        grep -F "' >> ~/$1" "$TRAKKO_SOURCE_DIR/README.md" | grep -F "/usr/local/share/trakko/" |
            sed -E "s/^.*echo '(.*)' >> .*/\1/; s|/usr/local/|$SANDBOX/root/usr/local/|g"
    }
    for rc in .bashrc .zshrc .config/fish/config.fish; do
        readme_line "$rc" >"home/$rc"
        [ "$(wc -l <"home/$rc")" -eq 1 ] || { echo "$rc: $(cat "home/$rc")"; false; }
    done
    # Whether the shell has the trakko function, asked in its own words.
    declare -A asks=([bash]='type -t trakko' [zsh]='whence -w trakko' [fish]='functions -q trakko; and echo function')
    for state in installed removed; do
        [ "$state" = removed ] && rm -r root/usr/local/share/trakko
        for shell in bash zsh fish; do
            run --separate-stderr env -i HOME="$SANDBOX/home" PATH=/usr/bin:/bin TERM=dumb \
                "$(command -v $shell)" -i -c "${asks[$shell]}" </dev/null
            [[ $stderr != *trakko* ]] || { echo "$shell, $state: $stderr"; false; }
            if [ "$state" = installed ]; then
                [[ $output == *function ]] || { echo "$shell, $state: $output"; false; }
            else
                [[ $output != *function ]] || { echo "$shell, $state: $output"; false; }
            fi
        done
    done
}
