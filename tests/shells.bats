#!/usr/bin/env bats
# The shell integration in every shell it ships for, driven by one table: each shell defines
# the alias ll and the function greet in its own syntax, sources its integration file, and the
# trakko function must show the alias and what it runs, the function, a plain program, and pass
# the binary's exit status through. The bash and zsh specifics live in integration.bats.

bats_require_minimum_version 1.5.0
load common

SHELLS="bash zsh ksh93 mksh fish"

setup() {
    setup_sandbox
    mkdir -p bin home
    cp "$PROG" bin/trakko # the real binary, also when $TRAKKO is a wrapper
    cp "$TRAKKO_SOURCE_DIR"/share/trakko.* .
    make_exe tools/lister tools/pager work/build.sh
    SEARCH="$SANDBOX/bin:$SANDBOX/tools"
    T=$'\t'
}

teardown() {
    teardown_sandbox
}

# use_shell NAME: the table. Sets the shell's command line without start-up files (run), its
# start-up file (rc) and the line that enables the integration there (enable), how it defines
# the alias and the function and prints the last status (st), and what trakko shows for them.
use_shell() {
    local sh_alias="alias ll='lister -l | pager'" sh_function='greet() { echo "hello, $1"; }'
    define_alias=$sh_alias define_function=$sh_function st='$?' shown_alias="ll='lister -l | pager'"
    case $1 in
        bash)
            run="$(command -v bash) --norc --noprofile" rc=.bashrc file=trakko.bash
            shown_alias=$sh_alias shown_function=$'greet ()\n{ \n    echo "hello, $1"\n}' ;;
        zsh)
            run="$(command -v zsh) -f" rc=.zshrc file=trakko.zsh
            shown_function=$'greet () {\n\techo "hello, $1"\n}' ;;
        ksh93)
            run=$(command -v ksh93) rc=.kshrc file=trakko.ksh
            shown_function=$'greet () {\n\techo "hello, $1";\n}' ;;
        mksh)
            run=$(command -v mksh) rc=.mkshrc file=trakko.ksh
            shown_function=$'greet () {\n\t\\echo "hello, $1" \n}' ;;
        fish)
            run="$(command -v fish) --no-config" rc=.config/fish/config.fish file=trakko.fish
            define_alias="alias ll 'lister -l | pager'" st='$status'
            define_function=$'function greet\n    echo "hello, $argv[1]"\nend'
            shown_alias="alias ll='lister -l | pager'"
            shown_function=$'greet () {\n    echo "hello, $argv[1]"\n}' ;;
    esac
    enable="source $SANDBOX/$file"
    if [ "$1" = fish ]; then enable="status is-interactive; and $enable"; fi
}

# in_shell LINE...: runs the lines as a script of the current shell, in a clean environment
# (HOME is the sandbox's home, no start-up files), standard input closed.
in_shell() {
    printf '%s\n' "$@" >script
    env -i HOME="$SANDBOX/home" PATH="$SEARCH" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        $run script </dev/null
}

# A function of 20000 lines, in sh and in fish syntax: its listing is larger than a pipe holds.
write_big_function() {
    { echo 'big() {'; seq -f '    echo %g' 20000; echo '}'; } >big.sh
    { echo 'function big'; seq -f '    echo %g' 20000; echo 'end'; } >big.fish
}

@test "every shell: an alias shows what it runs, a function its definition, a program its path" {
    for shell in $SHELLS; do
        use_shell $shell
        run --separate-stderr in_shell "source ./$file" "$define_alias" "$define_function" \
            "trakko ll greet nosuch lister; echo \"status $st\""
        expected="$shown_alias
$T$SANDBOX/tools/lister
$T$SANDBOX/tools/pager
$shown_function
$SANDBOX/tools/lister
status 1"
        [ "$output" = "$expected" ] ||
            { printf '%s: expected\n%s\ngot\n%s\n' $shell "$expected" "$output"; false; }
        [ "$stderr" = "trakko: no nosuch in ($SEARCH)" ] || { echo "$shell: $stderr"; false; }
    done
}

@test "every shell: the binary's status comes through, also when it reads none of a big listing" {
    write_big_function
    for shell in $SHELLS; do
        use_shell $shell
        big=./big.sh
        [ $shell = fish ] && big=./big.fish
        run --separate-stderr in_shell "source ./$file" "source $big" \
            "trakko nosuch lister other; echo \"missing $st\"" \
            "trakko >/dev/null 2>&1; echo \"usage $st\"" \
            "trakko --version big >/dev/null; echo \"version $st\"" \
            "trakko --help big >/dev/null; echo \"help $st\""
        expected="$SANDBOX/tools/lister
missing 2
usage 255
version 0
help 0"
        [ "$output" = "$expected" ] || { printf '%s: %s\n' $shell "$output"; false; }
        [ "$stderr" = "trakko: no nosuch in ($SEARCH)
trakko: no other in ($SEARCH)" ] || { echo "$shell: $stderr"; false; }
    done
}

@test "every shell: the one line in its start-up file enables it in an interactive shell" {
    SEARCH=".:$SEARCH"
    for shell in $SHELLS; do
        use_shell $shell
        rm -rf home && mkdir -p "home/$(dirname $rc)"
        echo "$enable" >"home/$rc"
        printf '%s\n' "$define_alias" "$define_function" "trakko ll greet build.sh" >script
        # On the terminal the short forms of the integration's options are in force.
        run on_pty "cd $SANDBOX/work && env -i HOME=$SANDBOX/home PATH=$SEARCH TERM=dumb" \
            "${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS}" "${run%% *} -i $SANDBOX/script"
        expected="$shown_alias
$T$SANDBOX/tools/lister
$T$SANDBOX/tools/pager
$shown_function
./build.sh"
        [ "$output" = "$expected" ] ||
            { printf '%s: expected\n%s\ngot\n%s\n' $shell "$expected" "$output"; false; }
    done
}

@test "bash, zsh, ksh93, mksh: the path the shell remembers is set against what PATH finds now" {
    # The shell remembers late/cmd; a copy then comes into early/, before it in PATH. bash, zsh
    # and mksh go on running the old one; ksh93 searches again and runs the new one.
    SEARCH="$SANDBOX/bin:$SANDBOX/early:$SANDBOX/late"
    mkdir early late
    ln -s "$(command -v chmod)" "$(command -v rm)" bin/
    local old=$SANDBOX/late/cmd new=$SANDBOX/early/cmd gone moved
    for shell in bash zsh ksh93 mksh; do
        use_shell $shell
        rm -f early/cmd
        printf '#!/bin/sh\necho old\n' >late/cmd && chmod 755 late/cmd
        moved="trakko: cmd: the shell remembers $old; PATH now finds $new first (hash -r forgets it)"
        expected=$'old\nold\n'"$new"$'\n'"$new" gone=$old
        [ $shell = ksh93 ] && expected=$'old\nnew\n'"$new"$'\n'"$old" gone=$new moved=
        run --separate-stderr in_shell "source ./$file" cmd \
            "echo '#!/bin/sh' >early/cmd; echo 'echo new' >>early/cmd; chmod 755 early/cmd" cmd \
            "trakko cmd" "rm $gone" "trakko cmd; echo \"status $st\""
        [ "$output" = "$expected"$'\nstatus 0' ] ||
            { printf '%s: expected\n%s\ngot\n%s\n' $shell "$expected" "$output"; false; }
        # Once the remembered file is gone, zsh and mksh search again and run the copy that
        # trakko printed, and ksh93 remembers nothing that beats a search: only bash fails.
        expected=$moved
        [ $shell = bash ] && expected+=$'\n'"trakko: cmd: the shell remembers $gone, which no longer exists (hash -r forgets it)"
        [ "$stderr" = "$expected" ] ||
            { printf '%s: expected\n%s\ngot\n%s\n' $shell "$expected" "$stderr"; false; }
    done
}

@test "ksh93 and mksh: every function body comes back whole, whatever its form" {
    # A here-document line that is only "}" must not end the body, and a body that is no brace
    # group is shown inside braces.
    for shell in ksh93 mksh; do
        use_shell $shell
        run --separate-stderr in_shell "source ./$file" \
            'hd() {' '    cat <<END' '}' 'END' '}' \
            'sub() ( lister )' \
            'function kf { lister; }' \
            'trakko hd sub kf'
        case $shell in
            ksh93) expected=$'hd () {\n    cat <<END\n} \nEND\n}\nsub () {\n\t( lister )\n}\nkf () {\n\tlister;\n}' ;;
            mksh) expected=$'hd () {\n\t\\cat <<END \n} \nEND\n\n}\nsub () {\n\t( \\lister )\n}\nkf () {\n\t\\lister \n}' ;;
        esac
        [ "$output" = "$expected" ] ||
            { printf '%s: expected\n%s\ngot\n%s\n' $shell "$expected" "$output"; false; }
        [ "$status" -eq 0 ]
    done
}

@test "fish: completion offers the options of --help and command names" {
    run env -i HOME="$SANDBOX/home" PATH="$SANDBOX/tools" "$(command -v fish)" --no-config -c \
        "source '$TRAKKO_SOURCE_DIR/completion/trakko.fish'; function zqfunc; end
         complete -C 'trakko -' | string replace -r '\t.*' ''; echo ---; complete -C 'trakko -a li'"
    # The options that --help lists, as completion.bats takes them apart.
    expected=$(tk -- --help | grep -E '^  -' | sed -E 's/^  (-[^ ,]+(, -[^ ,]+)*),? .*/\1/' |
        sed -E 's/-\[([a-zA-Z]+)\]/-\1/' | tr -d ',' | tr ' ' '\n' |
        sed -E 's/^-([a-zA-Z])([a-zA-Z]+)$/-\1\n-\2/; s/=NAME$//' | LC_ALL=C sort)
    [ "$(echo "$expected" | wc -l)" -eq 23 ]
    offered=$(echo "$output" | sed '/^---$/,$d' | LC_ALL=C sort)
    [ "$offered" = "$expected" ] || { diff <(echo "$expected") <(echo "$offered"); false; }
    [ "$(echo "$output" | sed '1,/^---$/d')" = "lister${T}command" ]
}
