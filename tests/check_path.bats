#!/usr/bin/env bats
# --check-path: the audit of PATH, entry by entry, on real directories with real modes, owners
# and links; owner and group names come from nss_wrapper's files.
# shellcheck disable=SC2088 # a quoted '~' is the text the tool prints or is given
bats_require_minimum_version 1.5.0

load common
load identity_common

setup() {
    setup_users
    S=$SANDBOX
    mkdir -p ok open/sub grp sticky/sub world locked
    chmod 777 open world && chmod 1777 sticky && chmod 700 locked
    make_exe locked/x ok/x
    : >file
}
teardown() { teardown_sandbox; }

# audits ARG... 4<<EOT: a run of tk ARG... whose stdout must be the lines read from descriptor 4.
audits() {
    run --separate-stderr tk "$@"
    expected=$(cat <&4)
    [ "$output" = "$expected" ] || { diff <(echo "$expected") <(echo "$output"); false; }
}

@test "every finding, in PATH order, each empty field an entry of its own" {
    needs_root
    write_passwd "root:x:0:0::/root:/bin/sh" "svc:x:60001:60001::/:/bin/sh"
    printf 'staff:x:60050:\n' >>"$S/group"
    mkdir svc nameless && chown 60001 svc && chown 60002:60003 nameless
    chgrp 60050 grp && chmod 775 grp
    ln -s "$S/ok" grp/link
    mkdir world/real && ln -s "$S/world/real" abs
    local path=":$S/ok::rel:~/bin:~nosuch:$S/file:$S/world/missing/deeper:$S/ok:$S/world"
    path+=":$S/sticky:$S/sticky/sub:$S/open/sub:$S/grp:$S/svc:$S/nameless:$S/grp/link:$S/ok/:$S/abs:"
    audits "${NSS[@]}" PATH="$path" HOME="$S/ok" -- --check-path 4<<EOT
1: (empty): empty: stands for the working directory
3: (empty): empty: stands for the working directory
4: rel: relative: resolved against the working directory
4: rel: missing
5: ~/bin: tilde: expanded by trakko and bash only; other shells and execvp(3) take it literally
5: ~/bin: missing
6: ~nosuch: relative: resolved against the working directory
6: ~nosuch: tilde: expanded by trakko and bash only; other shells and execvp(3) take it literally
6: ~nosuch: missing
7: $S/file: not a directory
8: $S/world/missing/deeper: missing
8: $S/world/missing/deeper: writable by others: $S/world (drwxrwxrwx root root)
9: $S/ok: duplicate of entry 2
10: $S/world: writable by others: $S/world (drwxrwxrwx root root)
11: $S/sticky: writable by others: $S/sticky (drwxrwxrwt root root)
13: $S/open/sub: writable by others: $S/open (drwxrwxrwx root root)
14: $S/grp: writable by group: $S/grp (drwxrwxr-x root staff)
15: $S/svc: owned by another user: $S/svc (drwxr-xr-x svc root)
16: $S/nameless: owned by another user: $S/nameless (drwxr-xr-x 60002 60003)
17: $S/grp/link: writable by group: $S/grp (drwxrwxr-x root staff)
17: $S/grp/link: note: the same directory as entry 2
18: $S/ok/: note: the same directory as entry 2
19: $S/abs: writable by others: $S/world (drwxrwxrwx root root)
20: (empty): empty: stands for the working directory
EOT
    [ "$status" -eq 17 ]
    [ "$stderr" = "" ]
}

@test "the effective user decides what is searchable, executable and someone else's" {
    needs_root
    write_passwd "svc:x:60001:60001::/:/bin/sh" "nobody:x:65534:65534::/:/bin/sh"
    make_exe svc/x && chmod 644 svc/x && chown -R 60001 svc
    run --separate-stderr as_user 65534 "${NSS[@]}" PATH="$S/locked:$S/svc" -- --check-path --explain x
    [ "$status" -eq 3 ]
    [ "$output" = "1: $S/locked: not searchable: Permission denied
2: $S/svc: owned by another user: $S/svc (drwxr-xr-x svc root)" ]
    # The copy run as the other user names itself, unless it is a wrapper around the real one.
    local name=${TRAKKO_PROG:-$S/trakko}
    [ "$stderr" = "$name: x: $S/locked/x: Permission denied: cannot search $S/locked (drwx------ 0 root)
$name: x: $S/svc/x: not executable (-rw-r--r-- svc root)
$name: no x in ($S/locked:$S/svc)" ]
    run --separate-stderr as_user 60001 "${NSS[@]}" PATH="$S/svc" -- --check-path
    [ "$status" -eq 0 ]
    [ "$output" = "" ]
}

# The kernel asks the effective ids, and so does trakko: as root for real and nobody in effect,
# the locked directory cannot be searched and the owner's file cannot be run. A process with
# real and effective ids apart cannot read the sanitizers' options, and leak checking then
# fails at exit.
@test "real root, effective nobody: the effective ids decide" {
    needs_root
    ! grep -qs '^TRAKKO_SANITIZE:BOOL=ON' "${TRAKKO_BUILD_DIR-}/CMakeCache.txt" ||
        skip "sanitizer options unreadable with real and effective ids apart"
    local name=${TRAKKO_PROG:-$S/trakko}
    mkdir mine && printf '#!/bin/sh\n' >mine/x && chmod 700 mine/x
    run --separate-stderr as_ids "--ruid=0 --rgid=0 --euid=65534 --egid=65534" \
        PATH="$S/locked:$S/mine" -- --check-path --explain x
    [ "$status" -eq 2 ]
    [ "$output" = "1: $S/locked: not searchable: Permission denied" ]
    [ "$stderr" = "$name: x: $S/locked/x: Permission denied: cannot search $S/locked (drwx------ root root)
$name: x: $S/mine/x: not executable (-rwx------ root root)
$name: no x in ($S/locked:$S/mine)" ]
}

@test "alone it is the whole run; with COMMANDs it comes first and the status adds up" {
    printf 'alias x=ls\n' >listing
    # Standard input is left unread: the cat that follows still gets the listing.
    run --separate-stderr bash -c '"$@"; echo "status $?"; cat' _ \
        env -i PATH="$S/ok:$S/ok" "$TRAKKO" --check-path -i <listing
    [ "$output" = "2: $S/ok: duplicate of entry 1
status 1
alias x=ls" ]
    [ "$stderr" = "" ]

    audits -- --check-path 4<<<"PATH is unset"
    [ "$status" -eq 1 ]
    audits PATH= -- --check-path x 4<<<"PATH is empty"
    [ "$status" -eq 2 ]
    [ "$stderr" = "$PROG: no x in ()" ]

    audits PATH="$S/none:$S/ok" -- --check-path x nosuch 4<<EOT
1: $S/none: missing
$S/ok/x
EOT
    [ "$status" -eq 2 ]
}

@test "thousands of entries: capped status, each directory looked at once, no quadratic cost" {
    local path=$S/ok i
    for i in $(seq 1500); do path+=":$S/none/d$i:$S/ok"; done
    run --separate-stderr timeout 10 env -i PATH="$path" "$TRAKKO" --check-path
    [ "$status" -eq 254 ]
    [ "${#lines[@]}" -eq 3000 ]
    [ "${lines[2999]}" = "3001: $S/ok: duplicate of entry 1" ]
}
