#!/usr/bin/env bats
# PATH entries that begin with '~': the directory a tilde entry names is the one searched.
# shellcheck disable=SC2088 # a quoted '~' is the text the tool prints or is given
bats_require_minimum_version 1.5.0

load common
load identity_common

setup() {
    setup_users
    write_passwd "svc:x:60001:60001::$SANDBOX/svc:/bin/sh" \
        "nohome:x:60002:60002:::/bin/sh"
    HOMEDIR=$SANDBOX/u
}

teardown() {
    teardown_sandbox
}

@test "~user entries are searched in that user's home" {
    make_exe svc/bin/x svc/x other/x
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="/nowhere:~svc/bin:$SANDBOX/other" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/svc/bin/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~svc" -- x
    [ "$output" = "$SANDBOX/svc/x" ]
}

@test "~ and ~/ entries are searched in HOME" {
    make_exe u/bin/x u/y
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/u/bin/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~:~/" -- --all y
    [ "$output" = "$SANDBOX/u/y"$'\n'"$SANDBOX/u/y" ]
}

@test "a user without an entry leaves the entry as it was, a relative directory" {
    make_exe '~nosuch/bin/x' '~svc~/x'
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nosuch/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/~nosuch/bin/x" ]
    # The user name runs to the '/', so this is the user "svc~".
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~svc~" -- x
    [ "$output" = "$SANDBOX/~svc~/x" ]
}

@test "an empty home, in the entry or in HOME, leaves the rest of the word" {
    make_exe x svc/bin/x
    # "~nohome" becomes the empty entry's relative "", that is the working directory.
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nohome" -- x
    [ "$output" = "$SANDBOX/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nohome$SANDBOX/svc/bin" -- x
    [ "$output" = "$SANDBOX/svc/bin/x" ]
    run tk "${NSS[@]}" HOME= PATH="~" -- x
    [ "$output" = "$SANDBOX/x" ]
    run tk "${NSS[@]}" HOME= PATH="~$SANDBOX/svc/bin" -- x
    [ "$output" = "$SANDBOX/svc/bin/x" ]
}

@test "HOME unset: the home of the real user's entry, or / without one" {
    make_exe me/bin/x svc/bin/x
    write_passwd "svc:x:60001:60001::$SANDBOX/svc:/bin/sh" \
        "me:x:$(id -u):$(id -g)::$SANDBOX/me:/bin/sh"
    run tk "${NSS[@]}" PATH="~/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/me/bin/x" ]

    # The home "/" and the rest of the word keep both their slashes.
    write_passwd "svc:x:60001:60001::$SANDBOX/svc:/bin/sh"
    run tk "${NSS[@]}" PATH="~$SANDBOX/svc/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "/$SANDBOX/svc/bin/x" ]
}

@test "tilde words after a blank or a tab are expanded, not after a newline or elsewhere" {
    local blank="u/a $SANDBOX/svc/b" tab=$'u/a\t'"$SANDBOX/svc/b"
    make_exe "$blank/x" "$tab/x" $'u/a\n~svc/b/x' 'u/a~svc/b/x'
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~/a ~svc/b" -- x
    [ "$output" = "$SANDBOX/$blank/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH=$'~/a\t~svc/b' -- x
    [ "$output" = "$SANDBOX/$tab/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH=$'~/a\n~svc/b' -- x
    [ "$output" = "$SANDBOX/u/a"$'\n'"~svc/b/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~/a~svc/b" -- x
    [ "$output" = "$SANDBOX/u/a~svc/b/x" ]
}

@test "a blank ends a tilde word, a tab does not" {
    make_exe "u $SANDBOX/u/x" $'~\t~/c/x'
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~ ~" -- x
    [ "$output" = "$SANDBOX/u $SANDBOX/u/x" ]
    # "~\t~" is one word naming the user "\t~", who has no entry.
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH=$'~\t~/c' -- x
    [ "$output" = "$SANDBOX/"$'~\t~/c/x' ]
}

@test "--skip-tilde drops every entry that begins with a tilde" {
    make_exe svc/bin/x other/x '~nosuch/x'
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~svc/bin:$SANDBOX/other" -- --all x
    [ "$output" = "$SANDBOX/svc/bin/x"$'\n'"$SANDBOX/other/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~svc/bin:$SANDBOX/other" -- --skip-tilde --all x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/other/x" ]
    # Also an entry that stays unexpanded.
    run --separate-stderr tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nosuch" -- --skip-tilde x
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
}

@test "a name that begins with a tilde is looked for in the expanded directory" {
    make_exe svc/bin/x
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH=/nowhere -- "~svc/bin/x"
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/svc/bin/x" ]
    run --separate-stderr tk "${NSS[@]}" HOME="$HOMEDIR" PATH=/nowhere -- --skip-tilde "~svc/bin/x"
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
    [ "$stderr" = "$TRAKKO: no x in (~svc/bin)" ]
}

@test "--skip-dot judges the expanded entry" {
    make_exe svc/bin/x x '~nosuch/x'
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~svc/bin" -- --skip-dot x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/svc/bin/x" ]
    run tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nohome:~nosuch" -- --all x
    [ "$output" = "$SANDBOX/x"$'\n'"$SANDBOX/~nosuch/x" ]
    run --separate-stderr tk "${NSS[@]}" HOME="$HOMEDIR" PATH="~nohome:~nosuch" -- --skip-dot x
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
}

@test "--show-tilde prints results found through a tilde entry under HOME as ~/" {
    needs_root
    make_exe u/bin/x svc/bin/y
    run as_user 65534 "${NSS[@]}" HOME="$HOMEDIR" PATH="~/bin:~svc/bin" -- --show-tilde x y
    [ "$status" -eq 0 ]
    [ "$output" = "~/bin/x"$'\n'"$SANDBOX/svc/bin/y" ]
}
