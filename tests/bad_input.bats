#!/usr/bin/env bats
# Hostile and broken input: huge or odd PATH values, names and HOME, file-system traps, output
# that cannot be written, memory running out, a working directory that is gone. Whatever comes
# in, the run ends with the exact status and message it owes, and never loses output.

load common

setup() {
    setup_sandbox
    make_exe bin/x
}
teardown() { teardown_sandbox; }

# as_nobody CMD...: runs CMD as an unprivileged user (root could read and search everything).
as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
}

# repeat TEXT COUNT: TEXT written COUNT times.
repeat() {
    [ "$2" -gt 0 ] || return 0
    yes -- "$1" | head -n "$2" | tr -d '\n'
}

@test "a PATH of 10,000 colons searches the working directory 5,001 times" {
    local colons
    colons=$(repeat : 10000)
    cp bin/x x
    run --separate-stderr tk PATH="$colons" -- -a x
    [ "$status" -eq 0 ]
    [ "${#lines[@]}" -eq 5001 ]
    [ "$(printf '%s\n' "$output" | sort -u)" = "$SANDBOX/x" ]

    run --separate-stderr tk PATH="$colons" -- missing
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
    [ "$stderr" = "$PROG: no missing in ($colons)" ]
}

@test "a PATH of 1,000 entries is searched to its last entry" {
    local list="" i
    for ((i = 1; i < 1000; i++)); do list+="/nonexistent/d$i:"; done
    run --separate-stderr tk PATH="$list$SANDBOX/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]

    run --separate-stderr tk PATH="$list/nonexistent/d1000" -- x
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in ($list/nonexistent/d1000)" ]

    list=$(repeat "$SANDBOX/bin:" 999)
    run --separate-stderr tk PATH="$list$SANDBOX/bin" -- -a x
    [ "$status" -eq 0 ]
    [ "${#lines[@]}" -eq 1000 ]
    [ "$(printf '%s\n' "$output" | sort -u)" = "$SANDBOX/bin/x" ]
}

@test "a 10,000-byte COMMAND and an empty COMMAND are reported, not found" {
    local long
    long=$(repeat c 10000)
    run --separate-stderr tk PATH="$SANDBOX/bin" -- "$long" '' x "d/$long"
    [ "$status" -eq 3 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" "$long" "$SANDBOX/bin" \
        "$PROG" '' "$SANDBOX/bin" "$PROG" "$long" ./d)" ]
}

@test "a long name of ./ components is found when the system accepts it, else reported" {
    local dots
    dots=$(repeat ./ 1000)
    cp bin/x x
    # 2,001 bytes: longer than the result buffer, but the walk drops every "./" as it goes.
    run --separate-stderr tk PATH=/nonexistent -- "${dots}x"
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/x" ]
    # 10,001 bytes: past what stat accepts, so simply not found.
    dots=$(repeat ./ 5000)
    run --separate-stderr tk PATH=/nonexistent -- "${dots}x"
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in (${dots%/})" ]
}

@test "a 5,000-byte HOME with --show-tilde and --skip-tilde" {
    runnable_by_others
    local home="$SANDBOX"
    home+=$(repeat /. $(( (5000 - ${#SANDBOX}) / 2 )))
    home+=$(repeat / $(( 5000 - ${#home} )))
    [ "${#home}" -eq 5000 ]
    # Only the first 1023 bytes can serve as the prefix, and no result lies under them.
    run --separate-stderr as_nobody env -i PATH="$SANDBOX/bin" HOME="$home" "$TRAKKO" --show-tilde x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    run --separate-stderr as_nobody env -i PATH="$SANDBOX/bin" HOME="$home" "$TRAKKO" --skip-tilde x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    # The entry ~/bin expands past what stat accepts: searched, and not found.
    run --separate-stderr as_nobody env -i PATH="~/bin" HOME="$home" "$TRAKKO" --show-tilde x
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
    [ "$stderr" = "$PROG: no x in (~/bin)" ]
}

# deep_dir BYTES: makes and prints a directory under the sandbox whose path is about BYTES long,
# built one component at a time so that no single call sees the whole path.
deep_dir() {
    local part path="$SANDBOX"
    part=$(repeat d 200)
    (
        cd "$SANDBOX" || exit 1
        while [ "${#path}" -lt "$1" ]; do
            mkdir "$part" && cd "$part" || exit 1
            path+="/$part"
        done
        make_exe x
        printf '%s' "$path"
    )
}

@test "a match deeper than 1024 bytes ends the run after what was already printed" {
    local deep
    deep=$(deep_dir 1100)
    run --separate-stderr tk PATH="$SANDBOX/bin:$deep" -- -a x
    [ "$status" -eq 255 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "Can't create full path" ]
}

@test "a working directory deeper than 1024 bytes: PWD stands in, or the run ends" {
    local deep
    deep=$(deep_dir 1100)
    cd "$deep"
    run --separate-stderr tk PATH="$SANDBOX/bin:." -- -a x
    [ "$status" -eq 255 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "Can't get current working directory" ]
    # A PWD of 1024 bytes or more cannot stand in either.
    run --separate-stderr tk PATH=. PWD="$deep" -- x
    [ "$status" -eq 255 ]
    [ "$stderr" = "Can't get current working directory" ]
    # PWD must name this very directory: a made-up one would show another file's path.
    run --separate-stderr tk PATH=. PWD=/p -- x
    [ "$status" -eq 255 ]
    [ "$output" = "" ]
    [ "$stderr" = "Can't get current working directory" ]
    ln -s "$deep" "$SANDBOX/short"
    run --separate-stderr tk PATH=. PWD="$SANDBOX/short" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/short/x" ]
}

@test "a directory beyond what stat accepts is searched and not found" {
    local deep
    deep=$(deep_dir 4200)
    run --separate-stderr tk PATH="$deep:$SANDBOX/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    run --separate-stderr tk PATH="$deep" -- x
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in ($deep)" ]
}

@test "unreadable and unsearchable directories, as a user without rights to them" {
    runnable_by_others
    make_exe none/x noread/x nosearch/x locked/inner/x
    chmod 000 none
    chmod 311 noread   # searchable, not readable: the file can still be examined
    chmod 644 nosearch # readable, not searchable: it cannot
    chmod 700 locked   # the way to inner is closed
    local list="$SANDBOX/none:$SANDBOX/nosearch:$SANDBOX/locked/inner"
    run --separate-stderr as_nobody env -i PATH="$list:$SANDBOX/noread" "$TRAKKO" -a x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/noread/x" ]
    run --separate-stderr as_nobody env -i PATH="$list" "$TRAKKO" x
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
    [ "$stderr" = "$PROG: no x in ($list)" ]
    # A working directory its user has closed to itself: ./x cannot be examined.
    make_exe mine/x
    chown -R 65534:65534 mine
    run --separate-stderr as_nobody sh -c 'cd "$1" && chmod 000 . && exec env -i PATH=. "$2" x' \
        _ "$SANDBOX/mine" "$TRAKKO"
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in (.)" ]
}

@test "symbolic-link loops and dangling links are no matches; the search goes on" {
    mkdir links
    ln -s self links/self
    ln -s b links/a
    ln -s a links/b
    ln -s ../nowhere links/dangling
    ln -s loopdir links/loopdir
    ln -s . cyc
    run --separate-stderr tk PATH="$SANDBOX/links/loopdir:$SANDBOX/links:$SANDBOX/bin" -- self a dangling x
    [ "$status" -eq 3 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" self "$SANDBOX/links/loopdir:$SANDBOX/links:$SANDBOX/bin" \
        "$PROG" a "$SANDBOX/links/loopdir:$SANDBOX/links:$SANDBOX/bin" \
        "$PROG" dangling "$SANDBOX/links/loopdir:$SANDBOX/links:$SANDBOX/bin")" ]

    # A directory link to itself: a few turns resolve, more than the system allows do not.
    local few many
    few=$(repeat cyc/ 10) many=$(repeat cyc/ 50)
    run --separate-stderr tk PATH=/nonexistent -- "${few}bin/x" "${many}bin/x"
    [ "$status" -eq 1 ]
    [ "$output" = "$SANDBOX/${few}bin/x" ]
    [ "$stderr" = "$PROG: no x in (./${many}bin)" ]
}

@test "FIFOs and device files in PATH directories are examined, never opened" {
    mkdir odd
    mkfifo odd/fifo odd/xfifo
    chmod 644 odd/fifo
    chmod 755 odd/xfifo
    # A FIFO that were opened would block here for good; timeout only guards the test run.
    run --separate-stderr timeout 60 env -i PATH="$SANDBOX/odd:/dev" "$TRAKKO" fifo null xfifo
    [ "$status" -eq 2 ]
    # The tool tests "not a directory and executable", and a FIFO with execute bits passes.
    [ "$output" = "$SANDBOX/odd/xfifo" ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" fifo "$SANDBOX/odd:/dev" \
        "$PROG" null "$SANDBOX/odd:/dev")" ]
    # A FIFO or a device as the PATH entry itself, or named with a slash.
    run --separate-stderr timeout 60 env -i PATH="$SANDBOX/odd/fifo:/dev/null" "$TRAKKO" x ./odd/fifo
    [ "$status" -eq 2 ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" x "$SANDBOX/odd/fifo:/dev/null" \
        "$PROG" fifo ./odd)" ]
}

@test "output to /dev/full or a closed stdout ends in a write error and 255, also mid-run" {
    local list
    list=$(repeat "$SANDBOX/bin:" 1000)
    # About 30 kB of results: the buffer fails while results are still being found.
    run --separate-stderr bash -c 'env -i PATH="$1" "$2" -a x missing >/dev/full' _ "$list" "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$stderr" = "$(printf '%s: no missing in (%s)\n%s: write error: No space left on device' \
        "$PROG" "$list" "$PROG")" ]

    run --separate-stderr bash -c 'env -i PATH="$1" "$2" -a x missing >&-' _ "$list" "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$stderr" = "$(printf '%s: no missing in (%s)\n%s: write error: Bad file descriptor' \
        "$PROG" "$list" "$PROG")" ]

    # Nothing to write, nothing lost: a closed stdout is then no failure of its own.
    run --separate-stderr bash -c 'env -i PATH=/nonexistent "$1" missing >&-' _ "$TRAKKO"
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no missing in (/nonexistent)" ]
}

@test "a deleted working directory: relative entries find nothing there, a climb needs PWD" {
    mkdir gone && cd gone && rmdir "$SANDBOX/gone"
    run --separate-stderr tk PATH=.:bin -- x
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in (.:bin)" ]
    # ../bin still leads somewhere, but the full path needs the working directory.
    run --separate-stderr tk PATH="$SANDBOX/bin:../bin" -- -a x
    [ "$status" -eq 255 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "Can't get current working directory" ]
    run --separate-stderr tk PATH="$SANDBOX/bin:../bin" PWD="$SANDBOX/gone" -- -a x
    [ "$status" -eq 0 ]
    [ "$output" = "$(printf '%s\n' "$SANDBOX/bin/x" "$SANDBOX/bin/x")" ]
}

# The listings below go to standard input with both kinds of reading on, unless said otherwise.

@test "NUL bytes in the listing: a line ends for the reader where its NUL stands" {
    make_exe bin/ls
    printf "alias a='ls'\n\0alias b='ls'\nalias c\0='ls'\ng\0 ()\nf ()\n{ \n  x\0yz\n}\n" >listing
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i --read-functions a b c f g <listing
    [ "$status" -eq 1 ]
    # "alias c" and "g" are alias lines that lost their newline with the rest of their line, so
    # what follows them joins their output line; f's body line "  x" lost its newline the same way.
    [ "$output" = "$(printf "alias a='ls'\n\t%s\nalias cgf ()\n{ \n  x}" "$SANDBOX/bin/ls")" ]
    [ "$stderr" = "$PROG: no b in ($SANDBOX/bin)" ]

    # With aliases alone, a line that begins with a NUL is an empty alias line: it names nothing.
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i a b c <listing
    [ "$status" -eq 1 ]
    [ "$output" = "$(printf "alias a='ls'\n\t%s\nalias c" "$SANDBOX/bin/ls")" ]
    [ "$stderr" = "$PROG: no b in ($SANDBOX/bin)" ]
}

@test "standard input closed or unreadable: the run ends before anything is printed" {
    # Taking an unreadable listing for an empty one would report an alias the shell has as
    # missing, with an ordinary status.
    run --separate-stderr bash -c 'env -i PATH="$1" "$2" -i --read-functions x missing <&-' \
        _ "$SANDBOX/bin" "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$output" = "" ]
    [ "$stderr" = "$PROG: standard input: Bad file descriptor" ]
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i --read-functions x missing </
    [ "$status" -eq 255 ]
    [ "$output" = "" ]
    [ "$stderr" = "$PROG: standard input: Is a directory" ]
}

@test "a listing file read from the middle: only what is left of it is the listing" {
    make_exe bin/ls
    printf "alias a='ls'\nalias b='ls'\n" >listing
    # The shell reads the first line and leaves the file's offset right after it.
    run --separate-stderr bash -c 'read -r first; exec env -i PATH="$1" "$2" -i a b' \
        _ "$SANDBOX/bin" "$TRAKKO" <listing
    [ "$status" -eq 1 ]
    [ "$output" = "$(printf "alias b='ls'\n\t%s" "$SANDBOX/bin/ls")" ]
    [ "$stderr" = "$PROG: no a in ($SANDBOX/bin)" ]
}

@test "random bytes as the listing: nothing defined, the search goes on as usual" {
    make_exe bin/found-probe
    LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 262144; i++) printf "%c", int(rand() * 256) }' >listing
    [ "$(wc -c <listing)" -eq 262144 ]
    for reading in "-i --read-functions" -i --read-functions; do
        # shellcheck disable=SC2086 # the options are meant to split
        run --separate-stderr tk PATH="$SANDBOX/bin" -- $reading found-probe missing-probe <listing
        [ "$status" -eq 1 ]
        [ "$output" = "$SANDBOX/bin/found-probe" ]
        [ "$stderr" = "$PROG: no missing-probe in ($SANDBOX/bin)" ]
    done
}

@test "a 2 MB line is one line, an alias or a body line alike" {
    make_exe bin/ls
    local long
    long=$(repeat a 2000000)
    { printf "alias x='ls %s'\n" "$long"; printf 'f ()\n{\n  %s\n}\n' "$long"; } >listing
    { printf "alias x='ls %s'\n\t%s\n" "$long" "$SANDBOX/bin/ls"; printf 'f ()\n{\n  %s\n}\n' "$long"; } >expected
    tk PATH="$SANDBOX/bin" -- -i --read-functions x f <listing >output 2>errors
    cmp output expected
    [ ! -s errors ]
    # The same line without its newline, as the whole listing: an alias named like nothing asked.
    printf '%s' "$long" >listing
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i --read-functions ls <listing
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/ls" ]
}

@test "10,000-byte names in the listing are matched whole" {
    make_exe bin/ls
    local long
    long=$(repeat n 10000)
    printf "alias a%s='ls'\n%s ()\n{\n  :\n}\n" "$long" "$long" >listing
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i --read-functions "$long" "a$long" "${long}n" <listing
    [ "$status" -eq 1 ]
    [ "$output" = "$(printf "alias a%s='ls'\n\t%s\n%s ()\n{\n  :\n}" "$long" "$SANDBOX/bin/ls" "$long")" ]
    [ "$stderr" = "$PROG: no ${long}n in ($SANDBOX/bin)" ]
}

# skip_unless_plain_binary: address space limits and AddressSanitizer's shadow memory exclude
# each other, so the out-of-memory cases need a binary built without it.
skip_unless_plain_binary() {
    if ldd "$PROG" 2>/dev/null | grep -q libasan || nm "$PROG" 2>/dev/null | grep -q __asan_init; then
        skip "an AddressSanitizer build cannot run under ulimit -v"
    fi
}

@test "out of memory while reading a large listing: the message and 255" {
    skip_unless_plain_binary
    # 100 MB of alias lines against a 50 MB address space: the block that holds the listing
    # cannot grow far enough.
    yes "alias a='ls'" | head -c 100000000 |
        (ulimit -v 50000 && exec env -i PATH="$SANDBOX/bin" "$PROG" -i a x) >output 2>errors && status=0 || status=$?
    [ "$status" -eq 255 ]
    [ ! -s output ]
    cmp errors <(printf '%s: Out of memory\n' "$PROG")
}

@test "out of memory after results were printed: they are still written out" {
    skip_unless_plain_binary
    # 60,000 tilde words of a 120,000-byte HOME would expand to 7 GB.
    local home path
    home=/$(repeat h 120000)
    path="$SANDBOX/bin:$(repeat '~ ' 60000)"
    (ulimit -v 200000 && exec env -i PATH="$path" HOME="$home" "$PROG" x missing) \
        >output 2>errors && status=0 || status=$?
    [ "$status" -eq 255 ]
    [ "$(cat output)" = "$SANDBOX/bin/x" ]
    cmp errors <(printf '%s: Out of memory' "$PROG")
}
