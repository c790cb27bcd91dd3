#!/usr/bin/env bats
# --read-hash: the paths the shell remembers, set against what the lookup finds, and audited
# with --check-path. Listings from the real shells are made in the tests themselves.
bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    S=$SANDBOX
    make_exe a/x b/x b/y a/s
    mkdir -p c dir
    ln -s ../a/s c/s
    printf '#!/bin/sh\n' >plain && chmod 644 plain
    T=$'\t'
    # One line per situation: another file, gone (twice), not executable (twice), no match now,
    # the same file under another name.
    cat >listing <<EOF
builtin hash -p $S/b/x x
hash y=$S/gone
hash -- z=$S/plain
hash d=$S/dir
hash e=$S/plain/e
hash w=$S/b/y
hash s=$S/c/s
EOF
}
teardown() { teardown_sandbox; }

moved() { echo "$PROG: $1: the shell remembers $2; PATH now finds $3 first (hash -r forgets it)"; }
stale() { echo "$PROG: $1: the shell remembers $2, which $3 (hash -r forgets it)"; }

@test "one line per stale name, after its output and its failure line; stdout and status stay" {
    # Standard output is flushed before each of these lines, as before --explain's.
    run tk PATH="$S/a:$S/b" -- --read-hash x y z d e w nosuch s <listing 2>&1
    [ "$status" -eq 5 ]
    expected="$S/a/x
$(moved x "$S/b/x" "$S/a/x")
$S/b/y
$(stale y "$S/gone" "no longer exists")
$PROG: no z in ($S/a:$S/b)
$(stale z "$S/plain" "is not executable")
$PROG: no d in ($S/a:$S/b)
$(stale d "$S/dir" "is not executable")
$PROG: no e in ($S/a:$S/b)
$(stale e "$S/plain/e" "no longer exists")
$PROG: no w in ($S/a:$S/b)
$PROG: w: the shell remembers $S/b/y; PATH now finds none (hash -r forgets it)
$PROG: no nosuch in ($S/a:$S/b)
$S/a/s"
    [ "$output" = "$expected" ] || { diff <(echo "$expected") <(echo "$output"); false; }
    # A COMMAND given twice is told twice, each time once; a fresh word met again tells nothing.
    run tk PATH="$S/a:$S/b" -- --read-hash y y <listing 2>&1
    [ "$output" = "$S/b/y
$(stale y "$S/gone" "no longer exists")
$S/b/y
$(stale y "$S/gone" "no longer exists")" ]
    { cat listing && echo "alias ss='s | s'"; } >aliased
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash -i ss <aliased
    [ "$output" = "alias ss='s | s'
$T$S/a/s
$T$S/a/s" ]
    [ "$stderr" = "" ]

    local -a cases=("x y z w s" "-a x y" "--show-dot --skip-dot x" "--skip-tilde x s" "./a/x x")
    for args in "${cases[@]}"; do
        # shellcheck disable=SC2086 # the arguments are separate words
        run --separate-stderr tk PATH="$S/a:$S/b" HOME="$S/a" -- $args <listing
        local plain_status=$status plain_output=$output
        # shellcheck disable=SC2086
        run --separate-stderr tk PATH="$S/a:$S/b" HOME="$S/a" -- --read-hash $args <listing
        [ "$status" -eq "$plain_status" ] || { echo "status, $args"; false; }
        [ "$output" = "$plain_output" ] || { echo "output, $args"; false; }
    done
}

@test "the first match of the same search counts, printed or dropped, in its plain form" {
    # --skip-tilde drops a/x, under the home directory, and prints b/x: a/x is still the match.
    run --separate-stderr tk PATH="$S/a:$S/b" HOME="$S/a" -- --read-hash --skip-tilde x <listing
    [ "$output" = "$S/b/x" ]
    [ "$stderr" = "$(moved x "$S/b/x" "$S/a/x")" ]
    cd a
    run --separate-stderr tk PATH=".:$S/b" HOME="$S/a" -- --read-hash --show-dot x <../listing
    [ "$output" = "./x" ]
    [ "$stderr" = "$(moved x "$S/b/x" "$S/a/x")" ]
    # --skip-dot passes over ".", so the copy there is not what the search finds.
    run --separate-stderr tk PATH=".:$S/b" -- --read-hash --skip-dot x <../listing
    [ "$output" = "$S/b/x" ]
    [ "$stderr" = "" ]
    # PATH unset finds nothing; a name with a slash is no shell's to remember.
    run --separate-stderr tk -- --read-hash x "$S/b/x" <../listing
    [ "$status" -eq 2 ]
    [ "$stderr" = "$PROG: no x in ()
$PROG: x: the shell remembers $S/b/x; PATH now finds none (hash -r forgets it)
$PROG: no $S/b/x in ()" ]
}

@test "alias words, --explain, a function shown instead, and --skip-hash" {
    # The remembered paths lead the listing: only there are they the shell's.
    { echo "hash f=$S/gone"; cat listing; echo "alias ll='x -l | y | x'"; } >defs
    printf 'f () \n{ \n  :\n}\n' >>defs
    run tk PATH="$S/a:$S/b" -- --read-hash -i ll <defs 2>&1
    [ "$output" = "alias ll='x -l | y | x'
$T$S/a/x
$(moved x "$S/b/x" "$S/a/x")
$T$S/b/y
$(stale y "$S/gone" "no longer exists")
$T$S/a/x
$(moved x "$S/b/x" "$S/a/x")" ]
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash --explain y <defs
    [ "$stderr" = "$PROG: y: $S/a/y: no such file
$PROG: y: $S/b/y: match
$(stale y "$S/gone" "no longer exists")" ]
    # A function shown in place of the search leaves nothing to compare; --all searches.
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash --read-functions f <defs
    [ "$stderr" = "" ]
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash --read-functions --all f <defs
    [ "$stderr" = "$(stale f "$S/gone" "no longer exists")" ]
    # Without --read-hash, or cancelled, the hash lines are ordinary alias lines again.
    run --separate-stderr tk PATH="$S/a:$S/b" -- --skip-hash -i hash --read-hash <listing
    [ "$status" -eq 0 ]
    [ "$output" = "hash y=$S/gone" ]
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash -i hash <listing
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
    # Past the leading block a hash line is text of an alias value, never the shell's memory.
    printf "alias ll='x\nbuiltin hash -p %s x\n'\n" "$S/b/x" >forged
    run --separate-stderr tk PATH="$S/a:$S/b" -- --read-hash x <forged
    [ "$status" -eq 0 ]
    [ "$stderr" = "" ]
}

@test "control characters, lone 8-bit bytes and backslashes of names and paths are escaped" {
    printf "hash \$'e\\\\e[1m'=\$'%s/n\\\\x9b\\\\xc2\\\\x9b\\\\\\\\'\n" "$S" >odd
    run --separate-stderr tk PATH="$S/a" -- --read-hash $'e\e[1m' <odd
    [ "$stderr" = "$PROG: no e"$'\e'"[1m in ($S/a)
$PROG: e\\x1b[1m: the shell remembers $S/n\\x9b\\xc2\\x9b\\\\, which no longer exists (hash -r forgets it)" ]
}

@test "--check-path: every stale entry after the PATH entries, counted in the status" {
    run --separate-stderr tk PATH="$S/a:$S/b:$S/a" -- --check-path --read-hash <listing
    [ "$status" -eq 7 ]
    [ "$output" = "3: $S/a: duplicate of entry 1
hash: x: the shell remembers $S/b/x; PATH now finds $S/a/x first
hash: y: the shell remembers $S/gone, which no longer exists
hash: z: the shell remembers $S/plain, which is not executable
hash: d: the shell remembers $S/dir, which is not executable
hash: e: the shell remembers $S/plain/e, which no longer exists
hash: w: the shell remembers $S/b/y; PATH now finds none" ]
    [ "$stderr" = "" ]
    # With COMMANDs the audit comes first; the lookups' own lines follow.
    run --separate-stderr tk PATH="$S/b" -- --check-path --read-hash s x <listing
    [ "$status" -eq 7 ]
    [ "${lines[0]}" = "hash: y: the shell remembers $S/gone, which no longer exists" ]
    [ "${lines[5]}" = "hash: s: the shell remembers $S/c/s; PATH now finds none" ]
    [ "${lines[6]}" = "$S/b/x" ]
    [ "$stderr" = "$PROG: no s in ($S/b)
$PROG: s: the shell remembers $S/c/s; PATH now finds none (hash -r forgets it)" ]
    run --separate-stderr tk -- --check-path --read-hash <listing
    [ "$status" -eq 8 ]
    [ "${lines[0]}" = "PATH is unset" ]
    [ "${lines[1]}" = "hash: x: the shell remembers $S/b/x; PATH now finds none" ]
    [ "${#lines[@]}" -eq 8 ]
    # A later line replaces a path, in the place of the first; the status stops at 254.
    { echo "hash x=$S/gone"; seq -f "hash n%g=$S/gone" 300; echo "hash x=$S/b/x"; } >many
    run --separate-stderr tk PATH="$S/a" -- --check-path --read-hash <many
    [ "$status" -eq 254 ]
    [ "${#lines[@]}" -eq 301 ]
    [ "${lines[0]}" = "hash: x: the shell remembers $S/b/x; PATH now finds $S/a/x first" ]
}

# shell_listing SHELL NAME...: the remembered paths of the NAMEs, found in tools/, as SHELL
# lists them; ksh93 and mksh through the integration, that turns their tracked aliases into
# hash lines (its trakko is a stand-in that shows what it was given).
shell_listing() {
    local shell=$1
    shift
    case $shell in
        bash) env -i PATH="$S/tools" "$(command -v bash)" --norc --noprofile -c \
            'for n; do hash -- "$n"; done; hash -l' _ "$@" ;;
        zsh) env -i PATH="$S/tools" "$(command -v zsh)" -fc \
            'for n; do hash -- "$n"; done; hash -L' _ "$@" ;;
        *) env -i PATH="$S/stub:$S/tools" "$(command -v "$shell")" -c \
            '. "$0"; for n; do alias -t -- "$n"; done; trakko' \
            "$TRAKKO_SOURCE_DIR/share/trakko.ksh" "$@" | grep '^hash -- ' ;;
    esac
}

@test "listings written by bash, zsh, ksh93 and mksh are read back name for name" {
    # ksh93 lists "new<newline>ls" over two lines, the second one like an entry for ls.
    local names=("t x" "q'x" $'e\303\251' $'tab\tx' 'b\s' 'd$x"q' -dash '[x]' 'semi;c' $'new\nls')
    for n in "${names[@]}"; do make_exe "tools/$n"; done
    mkdir stub
    printf '#!/bin/sh\nexec %s\n' "$(command -v cat)" >stub/trakko && chmod 755 stub/trakko
    local shown=("t x" "q'x" $'e\303\251' 'tab\x09x' 'b\\s' 'd$x"q' -dash '[x]' 'semi;c' 'new\x0als')
    expected=$(for n in "${shown[@]}"; do
        echo "hash: $n: the shell remembers $S/tools/$n, which no longer exists"
    done | LC_ALL=C sort)
    for shell in bash zsh ksh93 mksh; do
        shell_listing $shell "${names[@]}" >listing
        mv tools moved
        run --separate-stderr tk PATH= -- --check-path --read-hash <listing
        mv moved tools
        got=$(echo "$output" | grep -F "$S/tools/" | LC_ALL=C sort)
        [ "$got" = "$expected" ] ||
            { echo "$shell:"; cat listing; diff <(echo "$expected") <(echo "$got"); false; }
    done
}

@test "a listing without remembered-path lines gives the same output and status with --read-hash" {
    # The reader's fuzz corpus: each file is a byte (two for reader_fd) of switches and a listing.
    local file skip listing names count=0
    for file in "$TRAKKO_SOURCE_DIR"/fuzz/corpus/{defs,reader_fd}/*; do
        skip=1
        [[ $file == */reader_fd/* ]] && skip=2
        tail -c +$((skip + 1)) "$file" >listing
        LC_ALL=C grep -aqE '^(hash |builtin hash -p )' listing && continue
        count=$((count + 1))
        # The first word of every line, some of them aliases and functions, and a few names more.
        mapfile -t names < <(LC_ALL=C awk '{ print $1 }' listing | LC_ALL=C sort -u | head -40)
        names+=(x y nosuch)
        for options in "-i --read-functions" "-i --all" "--read-functions"; do
            # shellcheck disable=SC2086 # the options are separate words
            run tk PATH="$S/a:$S/b" -- $options -- "${names[@]}" <listing
            local plain_status=$status plain_output=$output
            # shellcheck disable=SC2086
            run tk PATH="$S/a:$S/b" -- $options --read-hash -- "${names[@]}" <listing
            [ "$status" -eq "$plain_status" ] || { echo "status, $options, $file"; false; }
            [ "$output" = "$plain_output" ] || { echo "output, $options, $file"; false; }
        done
    done
    [ "$count" -gt 10 ]
}
