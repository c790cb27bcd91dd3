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
# A test that mounts a file system or changes a sysctl leaves MOUNTED or PROTECTED_SYMLINKS (the
# value to put back) behind, for the teardown to undo even when it fails.
teardown() {
    [ -n "${MOUNTED-}" ] && umount "$MOUNTED"
    [ -n "${PROTECTED_SYMLINKS-}" ] && sysctl -qw fs.protected_symlinks="$PROTECTED_SYMLINKS"
    teardown_sandbox
}

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
    ln -s loop loop
    # Others may write into it but not search it: they cannot add a name.
    mkdir wonly && chmod 772 wonly
    # Names that another user may choose: a newline and a backslash, an escape sequence.
    mkdir -p "$S/world/"$'x\n2: /usr/bin: duplicate of entry 1\\' $'red\e[31m'
    chmod 777 "$S/world/"$'x\n2: /usr/bin: duplicate of entry 1\\' $'red\e[31m'
    ln -s "$S/world/"$'x\n2: /usr/bin: duplicate of entry 1\\' forged
    local path=":$S/ok::rel:~/bin:~nosuch:$S/file:$S/world/missing/deeper:$S/ok:$S/world"
    path+=":$S/sticky:$S/sticky/sub:$S/open/sub:$S/grp:$S/svc:$S/nameless:$S/grp/link:$S/ok/:$S/abs"
    path+=":$S/loop:$S/forged:$S/red"$'\e[31m:'"$S/ok"$'\n'"2::$S/sticky/tools:$S/wonly/none"
    audits "${NSS[@]}" PATH="$path" HOME="$S/ok" -- --check-path 4<<EOT
1: (empty): empty: stands for the working directory
3: (empty): empty: stands for the working directory
3: (empty): duplicate of entry 1
4: rel: relative: resolved against the working directory
4: rel: missing
5: ~/bin: tilde: expanded by trakko and bash only; other shells and execvp(3) take it literally
5: ~/bin: missing
6: ~nosuch: relative: resolved against the working directory
6: ~nosuch: tilde: no user nosuch, so taken literally
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
20: $S/loop: symbolic link loop
21: $S/forged: writable by others: $S/world/x\\x0a2: /usr/bin: duplicate of entry 1\\\\ (drwxrwxrwx root root)
22: $S/red\\x1b[31m: writable by others: $S/red\\x1b[31m (drwxrwxrwx root root)
23: $S/ok\\x0a2: missing
24: (empty): empty: stands for the working directory
24: (empty): duplicate of entry 1
25: $S/sticky/tools: missing
25: $S/sticky/tools: writable by others: $S/sticky (drwxrwxrwt root root)
26: $S/wonly/none: missing
26: $S/wonly/none: writable by group: $S/wonly (drwxrwx-w- root root)
EOT
    [ "$status" -eq 23 ]
    [ "$stderr" = "" ]
}

@test "the effective user decides what is searchable, executable and someone else's" {
    needs_root
    write_passwd "root:x:0:0::/root:/bin/sh" "svc:x:60001:60001::/:/bin/sh" \
        "nobody:x:65534:65534::/:/bin/sh"
    make_exe svc/x && chmod 644 svc/x && chown -R 60001 svc
    run --separate-stderr as_user 65534 "${NSS[@]}" PATH="$S/locked:$S/svc" -- --check-path --explain x
    [ "$status" -eq 3 ]
    [ "$output" = "1: $S/locked: not searchable: $S/locked (drwx------ root root)
2: $S/svc: owned by another user: $S/svc (drwxr-xr-x svc root)" ]
    # The copy run as the other user names itself, unless it is a wrapper around the real one.
    local name=${TRAKKO_PROG:-$S/trakko}
    [ "$stderr" = "$name: x: $S/locked/x: Permission denied: cannot search $S/locked (drwx------ root root)
$name: x: $S/svc/x: not executable (-rw-r--r-- svc root)
$name: no x in ($S/locked:$S/svc)" ]
    run --separate-stderr as_user 60001 "${NSS[@]}" PATH="$S/svc" -- --check-path
    [ "$status" -eq 0 ]
    [ "$output" = "" ]
    # The first directory that refuses, on the way from '/' or, for a relative entry, from the
    # working directory, which the kernel does not search above.
    mkdir locked/sub
    run --separate-stderr as_user 65534 PATH="$S/locked/sub:locked/sub" -- --check-path
    [ "$output" = "1: $S/locked/sub: not searchable: $S/locked (drwx------ root root)
2: locked/sub: relative: resolved against the working directory
2: locked/sub: not searchable: $S/locked (drwx------ root root)" ]
    # Through a link, both name the directory that refuses as the kernel walks to it.
    ln -s locked lnk
    run --separate-stderr as_user 65534 PATH="$S/lnk/sub" -- --check-path --explain x
    [ "$output" = "1: $S/lnk/sub: not searchable: $S/locked (drwx------ root root)" ]
    [ "${stderr%%$'\n'*}" = "$name: x: $S/lnk/sub/x: Permission denied: cannot search $S/locked (drwx------ root root)" ]
    cd "$S/locked"
    run --separate-stderr as_user 65534 PATH=sub:. -- --check-path
    [ "$output" = "1: sub: relative: resolved against the working directory
1: sub: not searchable: $S/locked (drwx------ root root)
2: .: relative: resolved against the working directory
2: .: not searchable: $S/locked (drwx------ root root)" ]
    cd "$S"
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
    [ "$output" = "1: $S/locked: not searchable: $S/locked (drwx------ root root)" ]
    [ "$stderr" = "$name: x: $S/locked/x: Permission denied: cannot search $S/locked (drwx------ root root)
$name: x: $S/mine/x: not executable (-rwx------ root root)
$name: no x in ($S/locked:$S/mine)" ]
}

@test "a directory's ACL says who may write into it; the mode shows '+' as ls -l does" {
    write_passwd "$(id -un):x:$(id -u):$(id -g)::/:/bin/sh" "svc:x:60001:60001::/:/bin/sh"
    printf '%s:x:%s:\nstaff:x:60050:\n' "$(id -gn)" "$(id -g)" >>"$S/group"
    mkdir users groups masked defaulted all
    command -v setfacl >/dev/null || skip "setfacl not installed (the acl package)"
    local refused
    refused=$(setfacl -m u:60001:rwx,u:60002:rwx,u:0:rwx,g::r-x users 2>&1) ||
        skip "setfacl refused on the file system of $S: $refused"
    ! grep -qsE '^TRAKKO_HAVE_XATTR:[A-Z]+=(0|)$' "${TRAKKO_BUILD_DIR-}/CMakeCache.txt" ||
        skip "built without extended attributes: this build cannot read ACLs"
    setfacl -m g:60050:rwx,g::rwx groups
    setfacl -m u:60001:rwx,g::rwx,m::r-x masked
    chmod 777 defaulted all && setfacl -d -m u:60001:rwx defaulted
    setfacl -m g:60050:rwx,u:60001:rwx all
    # Write without search adds no name: none of these is writable by anyone.
    mkdir nosearch && setfacl -m u:60001:rw-,g:60050:rw-,g::rw- nosearch
    mkdir users/sub
    local me path
    me="$(id -un) $(id -gn)"
    path="$S/users:$S/groups:$S/masked:$S/defaulted:$S/all:$S/users/sub:$S/nosearch"
    audits "${NSS[@]}" PATH="$path" -- --check-path 4<<EOT
1: $S/users: writable by user svc (ACL): $S/users (drwxrwxr-x+ $me)
1: $S/users: writable by user 60002 (ACL): $S/users (drwxrwxr-x+ $me)
2: $S/groups: writable by group: $S/groups (drwxrwxr-x+ $me)
2: $S/groups: writable by group staff (ACL): $S/groups (drwxrwxr-x+ $me)
4: $S/defaulted: writable by others: $S/defaulted (drwxrwxrwx+ $me)
5: $S/all: writable by others: $S/all (drwxrwxrwx+ $me)
5: $S/all: writable by user svc (ACL): $S/all (drwxrwxrwx+ $me)
5: $S/all: writable by group staff (ACL): $S/all (drwxrwxrwx+ $me)
6: $S/users/sub: writable by user svc (ACL): $S/users (drwxrwxr-x+ $me)
6: $S/users/sub: writable by user 60002 (ACL): $S/users (drwxrwxr-x+ $me)
EOT
    [ "$status" -eq 5 ]
    [ "$(stat -c %A users masked defaulted)" = "drwxrwxr-x
drwxr-xr-x
drwxrwxrwx" ]
    # The user the entry names is the effective one: they may write anyway.
    needs_root
    run --separate-stderr as_user 60001 "${NSS[@]}" PATH="$S/users" -- --check-path
    [ "$output" = "1: $S/users: writable by user 60002 (ACL): $S/users (drwxrwxr-x+ root root)" ]
}

@test "symbolic links that another user owns, and the ones the kernel will not follow" {
    needs_root
    write_passwd "svc:x:60001:60001::/:/bin/sh"
    printf 'svc:x:60001:\n' >>"$S/group"
    mkdir svc && chown 60001:60001 svc
    # shellcheck disable=SC2016 # the inner shell expands them
    setpriv --reuid=60001 --regid=60001 --clear-groups sh -c \
        'ln -s "$1/ok" "$1/sticky/bin" && ln -s "$1/sticky/bin" "$1/sticky/l1" &&
         ln -s "$1/ok" "$1/svc/to"' _ "$S"
    ln -s "$S/sticky/l1" mine
    # The setting is the whole machine's: each half sets the one it needs.
    PROTECTED_SYMLINKS=$(sysctl -n fs.protected_symlinks)
    sysctl -qw fs.protected_symlinks=0 2>/dev/null || {
        PROTECTED_SYMLINKS=
        [ "$(sysctl -n fs.protected_symlinks)" = 0 ] ||
            skip "fs.protected_symlinks is on and cannot be set here"
    }
    audits "${NSS[@]}" PATH="$S/sticky/bin:$S/mine:$S/svc/to" -- --check-path 4<<EOT
1: $S/sticky/bin: owned by another user: $S/sticky/bin (lrwxrwxrwx svc svc)
2: $S/mine: owned by another user: $S/sticky/bin (lrwxrwxrwx svc svc)
2: $S/mine: owned by another user: $S/sticky/l1 (lrwxrwxrwx svc svc)
2: $S/mine: note: the same directory as entry 1
3: $S/svc/to: owned by another user: $S/svc (drwxr-xr-x svc svc)
3: $S/svc/to: owned by another user: $S/svc/to (lrwxrwxrwx svc svc)
3: $S/svc/to: note: the same directory as entry 1
EOT
    [ "$status" -eq 3 ]
    run --separate-stderr as_user 60001 "${NSS[@]}" PATH="$S/sticky/bin" -- --check-path
    [ "$output" = "" ]

    sysctl -qw fs.protected_symlinks=1 2>/dev/null || skip "fs.protected_symlinks cannot be set here"
    # It refuses only a link that ends a path; every lookup in an entry puts a name below it.
    mkdir ok/sub
    audits "${NSS[@]}" PATH="$S/sticky/bin:$S/svc/to:$S/sticky/bin/sub" -- --check-path 4<<EOT
1: $S/sticky/bin: owned by another user: $S/sticky/bin (lrwxrwxrwx svc svc)
2: $S/svc/to: owned by another user: $S/svc (drwxr-xr-x svc svc)
2: $S/svc/to: owned by another user: $S/svc/to (lrwxrwxrwx svc svc)
2: $S/svc/to: note: the same directory as entry 1
3: $S/sticky/bin/sub: owned by another user: $S/sticky/bin (lrwxrwxrwx svc svc)
EOT
    [ "$status" -eq 3 ]
    # The oracle: the shell runs the command through the link, and so says --explain.
    run --separate-stderr tk PATH="$S/sticky/bin" -- --explain x
    [ "$status" -eq 0 ] && [ "$output" = "$S/sticky/bin/x" ]
    [ "$stderr" = "$PROG: x: $S/sticky/bin/x: match" ]
    run env -i PATH="$S/sticky/bin" "$(command -v bash)" -c x
    [ "$status" -eq 0 ]
    # A link that ends the path, as a candidate does, is another matter: the kernel refuses it.
    # shellcheck disable=SC2016 # the inner shell expands it
    setpriv --reuid=60001 --regid=60001 --clear-groups sh -c 'ln -s "$1/ok/x" "$1/sticky/tool"' _ "$S"
    run --separate-stderr tk "${NSS[@]}" PATH="$S/sticky" -- --explain tool
    [ "$status" -eq 1 ]
    [ "${stderr%%$'\n'*}" = "$PROG: tool: $S/sticky/tool: Permission denied: the kernel will not follow another user's link in a sticky world-writable directory (fs.protected_symlinks) (lrwxrwxrwx svc svc)" ]
    run -127 env -i PATH="$S/sticky" "$(command -v bash)" -c tool
}

@test "the working directory is judged as itself: an empty HOME, a name too long to write" {
    write_passwd "root:x:0:0::/root:/bin/sh"
    local me
    me="$(id -un) $(id -gn)"
    cd world
    audits "${NSS[@]}" PATH="~:~nosuch/bin" HOME= -- --check-path 4<<EOT
1: ~: relative: resolved against the working directory
1: ~: tilde: expanded by trakko and bash only; other shells and execvp(3) take it literally
1: ~: writable by others: $S/world (drwxrwxrwx root root)
2: ~nosuch/bin: relative: resolved against the working directory
2: ~nosuch/bin: tilde: no user nosuch, so taken literally
2: ~nosuch/bin: missing
2: ~nosuch/bin: writable by others: $S/world (drwxrwxrwx root root)
EOT
    [ "$status" -eq 2 ]

    # Under --shell an entry is read as that shell reads it: bash expands only the tilde word
    # that begins it, zsh none (the entry is then a directory of that name here).
    mkdir "$S/ok/x ~" && chmod 755 "$S/ok/x ~"
    audits "${NSS[@]}" PATH="~/x ~" HOME="$S/ok" -- --check-path --shell=bash 4<<EOT
1: ~/x ~: tilde: expanded by bash, the word that begins the entry only; other shells and execvp(3) take it literally
EOT
    [ "$status" -eq 1 ]
    audits "${NSS[@]}" PATH="~/x ~" HOME="$S/ok" -- --check-path --shell=zsh 4<<EOT
1: ~/x ~: relative: resolved against the working directory
1: ~/x ~: tilde: zsh takes it literally, as execvp(3) does
1: ~/x ~: missing
1: ~/x ~: writable by others: $S/world (drwxrwxrwx root root)
EOT
    [ "$status" -eq 1 ]

    # Deeper than the 1023 bytes a prefix holds: DIR is named from the working directory.
    local part i
    part=$(printf 'd%.0s' {1..250})
    for i in 1 2 3 4 5; do mkdir "$part" && cd "$part"; done
    chmod 777 . && mkdir -m 777 ww
    audits PATH="ww:.:ww/none:../$part" -- --check-path 4<<EOT
1: ww: relative: resolved against the working directory
1: ww: writable by others: ww (drwxrwxrwx $me)
2: .: relative: resolved against the working directory
2: .: writable by others: . (drwxrwxrwx $me)
3: ww/none: relative: resolved against the working directory
3: ww/none: missing
3: ww/none: writable by others: ww (drwxrwxrwx $me)
4: ../$part: relative: resolved against the working directory
4: ../$part: writable by others: ../$part (drwxrwxrwx $me)
4: ../$part: note: the same directory as entry 2
EOT
    [ "$status" -eq 4 ]
}

@test "a file system mounted noexec: nothing in it can be run" {
    needs_root
    mkdir nx
    mount -t tmpfs -o noexec,mode=755 tmpfs nx 2>/dev/null || skip "cannot mount a tmpfs here"
    MOUNTED=$S/nx
    mkdir -m 777 nx/open
    audits PATH="$S/nx:$S/nx/open:$S/nx:$S/nx/none:$S/ok" -- --check-path 4<<EOT
1: $S/nx: mounted noexec: nothing in it can be run
2: $S/nx/open: mounted noexec: nothing in it can be run
2: $S/nx/open: writable by others: $S/nx/open (drwxrwxrwx root root)
3: $S/nx: mounted noexec: nothing in it can be run
3: $S/nx: duplicate of entry 1
4: $S/nx/none: missing
EOT
    [ "$status" -eq 4 ]
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
