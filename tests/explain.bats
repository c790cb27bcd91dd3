#!/usr/bin/env bats
# --explain: a line on stderr for every place a COMMAND is looked for, before the result it
# explains; standard output and the exit status stay those of the same run without it.
# shellcheck disable=SC2088 # a quoted '~' is the text the tool prints or is given

load common

setup() {
    setup_sandbox
    S=$SANDBOX
    make_exe a/x b/x home/bin/x
    mkdir -p dirs/x links loops same plain
    : >file
    printf '#!/bin/sh\n' >plain/x && chmod 640 plain/x
    ln -s nowhere links/x
    ln -s x loops/x
    ln -s ../a/x same/x
    REAL_X=$(realpath a/x)
}
teardown() {
    if [ -n "${NOEXEC_MOUNT-}" ]; then umount "$NOEXEC_MOUNT"; fi
    teardown_sandbox
}

# explains ARG... 4<<EOT: a run of tk ARG... whose stderr must be the lines read from
# descriptor 4, each after "PROGRAM: " (standard input stays the run's own).
explains() {
    run --separate-stderr tk "$@"
    expected=$(sed "s|^|$PROG: |" <&4)
    [ "$stderr" = "$expected" ] || { diff <(echo "$expected") <(echo "$stderr"); false; }
}

@test "every verdict on a candidate, in the order of the search" {
    local path="$S/none:$S/file:$S/dirs:$S/plain:$S/links:$S/loops:$S/a:$S/same:$S/b"
    explains PATH="$path" -- --explain x nosuch 4<<EOT
x: $S/none/x: no such directory
x: $S/file/x: not a directory
x: $S/dirs/x: a directory
x: $S/plain/x: not executable (-rw-r----- $(id -un) $(id -gn))
x: $S/links/x: dangling symbolic link to nowhere
x: $S/loops/x: symbolic link loop
x: $S/a/x: match
x: $S/same/x: also here, not printed: the same file as the match -> $REAL_X
x: $S/b/x: also here, not printed: shadowed by the match
nosuch: $S/none/nosuch: no such directory
nosuch: $S/file/nosuch: not a directory
nosuch: $S/dirs/nosuch: no such file
nosuch: $S/plain/nosuch: no such file
nosuch: $S/links/nosuch: no such file
nosuch: $S/loops/nosuch: no such file
nosuch: $S/a/nosuch: no such file
nosuch: $S/same/nosuch: no such file
nosuch: $S/b/nosuch: no such file
no nosuch in ($path)
EOT
    [ "$status" -eq 1 ]
    [ "$output" = "$S/a/x" ]

    explains PATH="$S/a:$S/same:$S/b" -- --explain --all x 4<<EOT
x: $S/a/x: match
x: $S/same/x: match -> $REAL_X
x: $S/b/x: match
EOT
    [ "$output" = "$(printf '%s\n' "$S/a/x" "$S/same/x" "$S/b/x")" ]
}

@test "relative entries, the skip options and matches dropped under the home directory" {
    cd a
    explains PATH=":$S/b:rel" -- --explain x 4<<EOT
x: ./x: match, through a relative entry: depends on the working directory
x: $S/b/x: also here, not printed: shadowed by the match
x: rel/x: no such directory
EOT
    # Relative without a leading dot is relative all the same.
    cd "$S"
    explains PATH="a:$S/b" -- --explain x 4<<EOT
x: a/x: match, through a relative entry: depends on the working directory
x: $S/b/x: also here, not printed: shadowed by the match
EOT
    cd a
    explains PATH=":.:$S/b:~/bin:rel" HOME="$S/home" -- --explain --skip-dot x 4<<EOT
x: .: skipped: relative entry (--skip-dot)
x: .: skipped: relative entry (--skip-dot)
x: $S/b/x: match
x: $S/home/bin/x: also here, not printed: shadowed by the match
x: rel: skipped: relative entry (--skip-dot)
EOT
    # A dropped match, before or after the printed one, is never "also here".
    explains PATH="~/bin:$S/home/bin:$S/b:$S/home/bin" HOME="$S/home" -- --explain --skip-tilde x 4<<EOT
x: ~/bin: skipped: tilde entry (--skip-tilde)
x: $S/home/bin/x: match under the home directory, dropped (--skip-tilde)
x: $S/b/x: match
x: $S/home/bin/x: match under the home directory, dropped (--skip-tilde)
EOT
    # A name with a slash has one candidate.
    explains PATH="$S/b" -- --explain ./x ../b/x 4<<EOT
./x: ./x: match, through a relative entry: depends on the working directory
../b/x: ../b/x: match, through a relative entry: depends on the working directory
EOT
}

@test "why the system refuses: the directory that says no, a noexec mount" {
    [ "$(id -u)" = 0 ] || skip "running as another user and mounting need root"
    chmod 755 "$S"
    mkdir -p open/locked/deeper && chmod 700 open/locked
    cp "$TRAKKO" ./trakko
    run --separate-stderr setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i PATH="$S/open/locked/deeper:open/locked/deeper:$S/open/locked" ./trakko --explain x
    local owner="(drwx------ $(id -un) $(id -gn))" name=${TRAKKO_PROG:-./trakko}
    [ "$stderr" = "$name: x: $S/open/locked/deeper/x: Permission denied: cannot search $S/open/locked $owner
$name: x: open/locked/deeper/x: Permission denied: cannot search open/locked $owner
$name: x: $S/open/locked/x: Permission denied: cannot search $S/open/locked $owner
$name: no x in ($S/open/locked/deeper:open/locked/deeper:$S/open/locked)" ]
    # An ACL shows as ls -l shows it (where the build can read extended attributes).
    if command -v setfacl >/dev/null && setfacl -m u:60001:r open/locked 2>/dev/null &&
        ! grep -qsE '^TRAKKO_HAVE_XATTR:[A-Z]+=(0|)$' "${TRAKKO_BUILD_DIR-}/CMakeCache.txt"; then
        run --separate-stderr setpriv --reuid=65534 --regid=65534 --clear-groups \
            env -i PATH="$S/open/locked" ./trakko --explain x
        [ "${stderr%%$'\n'*}" = "$name: x: $S/open/locked/x: Permission denied: cannot search $S/open/locked (drwxr-----+ $(id -un) $(id -gn))" ]
    fi

    mkdir noexec
    mount -t tmpfs -o noexec,mode=755 tmpfs noexec || skip "cannot mount a tmpfs here"
    NOEXEC_MOUNT=$S/noexec
    make_exe noexec/x && printf '#!/bin/sh\n' >noexec/y && chmod 644 noexec/y
    explains PATH="$S/noexec" -- --explain x y 4<<EOT
x: $S/noexec/x: not executable: file system mounted noexec (-rwxr-xr-x $(id -un) $(id -gn))
no x in ($S/noexec)
y: $S/noexec/y: not executable (-rw-r--r-- $(id -un) $(id -gn))
no y in ($S/noexec)
EOT
}

@test "a match the kernel will not start, a dangling chain's missing end, the ACL entry that refuses" {
    mkdir -p s lib
    printf '#!/nonexistent/sh\n' >s/missing
    printf '#!/bin/sh\r\nexit 0\r\n' >s/crlf
    printf '#!%s/s/plain -x\n' "$S" >s/viaplain && printf 'exit 0\n' >s/plain
    printf '#!  /bin/sh -e\nexit 0\n' >s/fine
    chmod 755 s/missing s/crlf s/viaplain s/fine && chmod 644 s/plain
    ln -s ../lib/b2 s/dang2 && ln -s nothere lib/b2
    local n
    for n in missing crlf viaplain fine; do
        run --separate-stderr tk PATH="$S/s" -- "$n"
        [ "$status" -eq 0 ] && [ "$output" = "$S/s/$n" ]
    done
    explains PATH="$S/s" -- --explain missing crlf viaplain fine dang2 4<<EOT
missing: $S/s/missing: match, but the kernel will not start it: its interpreter /nonexistent/sh does not exist
crlf: $S/s/crlf: match, but the kernel will not start it: its interpreter /bin/sh\x0d does not exist (the #! line ends in a carriage return)
viaplain: $S/s/viaplain: match, but the kernel will not start it: its interpreter $S/s/plain is not executable (-rw-r--r-- $(id -un) $(id -gn))
fine: $S/s/fine: match
dang2: $S/s/dang2: dangling symbolic link to ../lib/b2 -> nothere
no dang2 in ($S/s)
EOT
    [ "$output" = "$(printf '%s\n' "$S/s/missing" "$S/s/crlf" "$S/s/viaplain" "$S/s/fine")" ]
    # The oracle: the shell cannot run the first three, and runs the fourth.
    run -127 env -i PATH="$S/s" "$(command -v bash)" -c missing
    run -127 env -i PATH="$S/s" "$(command -v bash)" -c crlf
    run -126 env -i PATH="$S/s" "$(command -v bash)" -c viaplain
    run env -i PATH="$S/s" "$(command -v bash)" -c fine
    [ "$status" -eq 0 ]

    [ "$(id -u)" = 0 ] || skip "mounting and running as another user need root"
    mkdir nx
    mount -t tmpfs -o noexec,mode=755 tmpfs nx || skip "cannot mount a tmpfs here"
    NOEXEC_MOUNT=$S/nx
    printf '#!/bin/sh\n' >nx/sh && chmod 755 nx/sh
    printf '#!%s/nx/sh\n' "$S" >s/onnoexec && chmod 755 s/onnoexec
    explains PATH="$S/s" -- --explain onnoexec 4<<EOT
onnoexec: $S/s/onnoexec: match, but the kernel will not start it: its interpreter $S/nx/sh lies on a file system mounted noexec
EOT
    run -126 env -i PATH="$S/s" "$(command -v bash)" -c onnoexec

    command -v setfacl >/dev/null && setfacl -m u:60001:r--,g:60050:r-x s/fine 2>/dev/null &&
        ! grep -qsE '^TRAKKO_HAVE_XATTR:[A-Z]+=(0|)$' "${TRAKKO_BUILD_DIR-}/CMakeCache.txt" ||
        skip "no POSIX ACLs here"
    chmod 755 "$S" && cp "$TRAKKO" ./trakko
    local name=${TRAKKO_PROG:-./trakko} me="$(id -un) $(id -gn)"
    run --separate-stderr setpriv --reuid=60001 --regid=60001 --clear-groups \
        env -i PATH="$S/s" ./trakko --explain fine
    [ "$status" -eq 1 ]
    [ "${stderr%%$'\n'*}" = "$name: fine: $S/s/fine: not executable: ACL entry user:60001:r-- (-rwxr-xr-x+ $me)" ]
    # A group entry, and the mask that cuts what the entry grants.
    setfacl -m m::r-- s/fine
    run --separate-stderr setpriv --reuid=60002 --regid=60050 --clear-groups \
        env -i PATH="$S/s" ./trakko --explain fine
    [ "${stderr%%$'\n'*}" = "$name: fine: $S/s/fine: not executable: ACL entry group:60050:r-x, masked to r-- (-rwxr--r-x+ $me)" ]
    # The oracle is a shell run as that user (setpriv itself still holds root's capabilities
    # when it starts its command).
    # shellcheck disable=SC2016 # the inner shell expands it
    run -126 setpriv --reuid=60002 --regid=60050 --clear-groups sh -c '"$1"' _ "$S/s/fine"
}

@test "names and link targets never forge a line or reach the terminal raw" {
    local nl=$'\n' esc=$'\e'
    mkdir -p "$S/new${nl}line" "$S/esc${esc}[31m"
    ln -s "x${nl}2: /usr/bin: duplicate of entry 1" "$S/new${nl}line/x"
    # The failure line is the tool's own message, written as it always was.
    local path="$S/new${nl}line:$S/esc${esc}[31m:$S/a"
    run --separate-stderr tk PATH="$path" -- --explain 'x\y' x
    [ "$stderr" = "$PROG: x\\\\y: $S/new\\x0aline/x\\\\y: no such file
$PROG: x\\\\y: $S/esc\\x1b[31m/x\\\\y: no such file
$PROG: x\\\\y: $S/a/x\\\\y: no such file
$PROG: no x\\y in ($path)
$PROG: x: $S/new\\x0aline/x: dangling symbolic link to x\\x0a2: /usr/bin: duplicate of entry 1
$PROG: x: $S/esc\\x1b[31m/x: no such file
$PROG: x: $S/a/x: match" ]
    # A C1 control as one byte: a terminal that reads 8-bit bytes takes it for CSI.
    mkdir c1 && ln -s $'\x9b2K\x9b1Gx: '"$S/a/x: match" c1/x
    explains PATH="$S/c1" -- --explain x 4<<EOT
x: $S/c1/x: dangling symbolic link to \\x9b2K\\x9b1Gx: $S/a/x: match
no x in ($S/c1)
EOT
}

@test "stdout and the status are those of the same run without --explain" {
    cd a
    mkdir -p "$S/deep"
    local long=$S/deep
    while [ ${#long} -lt 1100 ]; do long=$long/dddddddddddddddddddddddddddddddddddddddd; done
    make_exe "$long/x"
    local messy=":$S/b:~/bin:rel:$S/same:$S/plain:.:$S/a:$long"
    local -a cases=(
        "x" "-a x" "--skip-dot x" "--skip-tilde x" "--skip-tilde -a x" "--show-dot x"
        "--show-tilde -a x" "nosuch x ./x ../b/x nosuch/x" "--skip-dot ./x $S/b/x"
    )
    for args in "${cases[@]}"; do
        # shellcheck disable=SC2086 # the arguments are separate words
        run --separate-stderr tk PATH="$messy" HOME="$S/home" -- $args
        local plain_status=$status plain_output=$output
        # shellcheck disable=SC2086
        run --separate-stderr tk PATH="$messy" HOME="$S/home" -- --explain $args
        [ "$status" -eq "$plain_status" ] || { echo "status, $args"; false; }
        [ "$output" = "$plain_output" ] || { echo "output, $args"; false; }
    done
    # The later candidate over 1023 bytes is probed and named, never normalised: no fatal error.
    run --separate-stderr tk PATH="$S/b:$long" -- --explain x
    [ "$status" -eq 0 ]
    [ "$output" = "$S/b/x" ]
    [ "${stderr##*$'\n'}" = "$PROG: x: $long/x: also here, not printed: shadowed by the match" ]
}

@test "each line reaches the terminal just before the result it explains" {
    run tk PATH="$S/a:$S/none:$S/b" -- --explain -a x nosuch 2>&1
    [ "$output" = "$PROG: x: $S/a/x: match
$S/a/x
$PROG: x: $S/none/x: no such directory
$PROG: x: $S/b/x: match
$S/b/x
$PROG: nosuch: $S/a/nosuch: no such file
$PROG: nosuch: $S/none/nosuch: no such directory
$PROG: nosuch: $S/b/nosuch: no such file
$PROG: no nosuch in ($S/a:$S/none:$S/b)" ]
}

@test "functions and aliases from the listing, and PATH unset or empty" {
    printf "alias ll='x -l | y'\nx () \n{ \n  :\n}\n" >listing
    explains PATH="$S/b" -- --explain --read-functions x <listing 4<<EOT
x: shell function: shown from the listing
x: PATH: not searched: the shell function comes first (--all searches it too)
EOT
    explains PATH="$S/b" -- --explain --read-functions --all x <listing 4<<EOT
x: shell function: shown from the listing
x: $S/b/x: match
EOT
    explains PATH="$S/b" -- --explain -i --read-functions ll <listing 4<<EOT
ll: alias: shown from the listing
x: shell function: shown from the listing
x: PATH: not searched: the shell function comes first (--all searches it too)
y: $S/b/y: no such file
EOT
    [ "$output" = "alias ll='x -l | y'"$'\n\tx ()\n\t{ \n\t  :\n\t}' ]
    # A word met again is explained again.
    printf "alias rr='y | y'\n" >twice
    explains PATH="$S/b" -- --explain -i rr <twice 4<<EOT
rr: alias: shown from the listing
y: $S/b/y: no such file
y: $S/b/y: no such file
EOT
    head -n 1 listing >aliases
    explains -- --explain -i ll x <aliases 4<<EOT
ll: alias: shown from the listing
x: PATH: unset
y: PATH: unset
x: PATH: unset
no x in ()
EOT
    explains PATH= -- --explain x 4<<EOT
x: PATH: empty
no x in ()
EOT
}
