#!/usr/bin/env bats
# What an alias runs, through the installed integration of each real shell: the shell then
# runs the alias, and the programs it ran (marker scripts that log their names) must be the
# ones trakko named under the alias line, in order.

bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    mkdir -p bin home early
    cp "$PROG" bin/trakko # the real binary, also when $TRAKKO is a wrapper
    cp "$TRAKKO_SOURCE_DIR"/share/trakko.* .
    local name
    # echo, whence, time and login too: a shell that runs a file where trakko says builtin shows.
    for name in target innercmd both fails echo whence time login; do
        mkdir -p tools
        printf '#!/bin/sh\necho %s >>%s/ran\n' $name "$SANDBOX" >tools/$name
        chmod 755 tools/$name
    done
    echo 'exit 1' >>tools/fails
    SEARCH="$SANDBOX/bin:$SANDBOX/early:$SANDBOX/tools"
    T=$'\t'
}

teardown() {
    teardown_sandbox
}

# in_shell SHELL LINE...: the lines as a script of SHELL with its integration sourced, in a
# clean environment, standard input closed.
in_shell() {
    local shell=$1 run file=trakko.ksh
    shift
    case $shell in
        bash) run="$(command -v bash) --norc --noprofile" file=trakko.bash ;;
        zsh) run="$(command -v zsh) -f" file=trakko.zsh ;;
        ksh93 | mksh) run=$(command -v $shell) ;;
        fish) run="$(command -v fish) --no-config" file=trakko.fish ;;
    esac
    { [ $shell = bash ] && echo 'shopt -s expand_aliases'; echo "source ./$file"; } >script
    printf '%s\n' "$@" >>script
    env -i HOME="$SANDBOX/home" PATH="$SEARCH" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        $run script </dev/null
}

# The table: shells ~ definitions (lines split at "@") ~ the alias run [~ the builtins and
# keywords that trakko must name, in order, split at ","].
ROWS=(
    "bash zsh ksh93 mksh fish~alias inner='innercmd --flag'@alias x='inner x'~x"
    "bash zsh ksh93 mksh~both() { echo function; }@alias x='command both'~x"
    "fish~function both; echo function; end@alias x='command both'~x"
    "bash zsh ksh93 mksh~alias target='echo aliased'@alias x='\\target -l'~x"
    "bash zsh ksh93 mksh fish~alias x='LC_ALL=C target'~x"
    "bash zsh ksh93 mksh fish~alias x='target; both'~x"
    "bash zsh ksh93 mksh fish~alias x='target && both'~x"
    "bash zsh ksh93 mksh fish~alias x='fails || target'~x"
    "bash zsh ksh93 mksh fish~alias x='target | both'~x"
    "bash zsh ksh93 mksh~alias x=\$'target\\nboth'~x"
    "bash zsh ksh93 mksh~alias x='time target'~x~time"
    "bash zsh ksh93 mksh~alias x=\$'target \\'a b\\''~x"
    "bash zsh ksh93 mksh~alias x=\$'target\\t-l'~x"
    "bash zsh ksh93 mksh~alias x='(target; both) | { innercmd; }'~x"
    "bash zsh ksh93 mksh~alias target='target -x'~target"
    "bash zsh ksh93 mksh~alias c='command '@alias inner=innercmd@alias x='c inner'~x"
    "bash zsh ksh93 mksh~alias x='exec target'~x"
    "zsh~alias x='noglob target; nocorrect both'~x"
    "bash zsh mksh fish~alias x='builtin echo hi'~x~builtin,echo"
    "ksh93~alias x='builtin echo hi'~x~builtin"
    "bash zsh ksh93 mksh fish~alias x='command echo hi'~x"
    "mksh~:~type~\\builtin,whence"
    "mksh~:~login~\\builtin,exec"
)

@test "every row: trakko names under the alias what the shell runs for it" {
    local row shells defs name own shell
    for row in "${ROWS[@]}"; do
        IFS='~' read -r shells defs name own <<<"$row"
        for shell in $shells; do
            rm -f ran
            local group="{ $name; }"
            [ $shell = fish ] && group="begin; $name; end"
            run --separate-stderr in_shell $shell "${defs//@/$'\n'}" "trakko $name" \
                "$group >/dev/null 2>&1" wait # ksh93 runs a last pipeline without waiting
            local told=$output ran named= facts=
            ran=$(cat ran 2>/dev/null || true)
            # The commands of a pipeline run side by side, in no order.
            if [[ $defs == *' | '* ]]; then
                ran=$(sort <<<"$ran")
                named=$(sort <<<"$told" | grep "^$T" | sed 's:.*/::')
            fi
            # The alias line (two for a value that holds a newline), then only paths: no
            # function, nothing the shell does not run.
            local line head=1
            while IFS= read -r line; do
                [[ $head = 1 && $line != "$T"* ]] && continue
                head=0
                # The shell's own builtins and keywords run no file.
                if [[ $line =~ ^$T([^/:]+):\ shell\ (builtin|keyword)$ ]]; then
                    facts+=${facts:+,}${BASH_REMATCH[1]}
                    continue
                fi
                [[ $line == "$T$SANDBOX/tools/"* ]] ||
                    { printf '%s: %s: unexpected %s\n' $shell "$row" "$line"; false; }
                [[ $defs == *' | '* ]] || named+=${line##*/}$'\n'
            done <<<"$told"
            [ "${named%$'\n'}" = "$ran" ] ||
                { printf '%s: %s\nnamed:\n%sran:\n%s\n' $shell "$row" "$named" "$ran"; false; }
            [ -z "$stderr" ] || { printf '%s: %s: %s\n' $shell "$row" "$stderr"; false; }
            [ -z "$own" ] || [ "$facts" = "$own" ] ||
                { printf '%s: %s: named %s\n' $shell "$row" "$facts"; false; }
        done
    done
}

@test "every shell: a broken alias says so on standard error, its status is that of a found one" {
    for shell in bash zsh ksh93 mksh fish; do
        local st='$?'
        [ $shell = fish ] && st='$status'
        run --separate-stderr in_shell $shell "alias no='nosuch -x'" "trakko no" "echo \"status $st\""
        [ "${output#*$'\n'}" = "status 0" ] || { echo "$shell: $output"; false; }
        [ "$stderr" = "trakko: no: no nosuch in ($SEARCH)" ] || { echo "$shell: $stderr"; false; }
    done
}

@test "every shell: a function defined after the integration, and one an alias names, are shown" {
    for shell in bash zsh ksh93 mksh fish; do
        local define='late() { echo late; }' shown=$'late ()\n{ \n    echo late\n}'
        case $shell in
            zsh) shown=$'late () {\n\techo late\n}' ;;
            ksh93) shown=$'late () {\n\techo late;\n}' ;;
            mksh) shown=$'late () {\n\t\\echo late \n}' ;;
            fish) define=$'function late\n    echo late\nend' shown=$'late () {\n    echo late\n}' ;;
        esac
        run --separate-stderr in_shell $shell "$define" "alias g='late'" "trakko late g"
        # The alias stage comes first: the alias line, what it runs, then the function itself.
        [ "${output#*$'\n'}" = "$T${shown//$'\n'/$'\n'$T}"$'\n'"$shown" ] ||
            { printf '%s:\n%s\n' $shell "$output"; false; }
        [[ $output == *"g"*"late"* ]] && [ -z "$stderr" ]
    done
}

@test "zsh: a one-word alias keeps the warning about the path the shell remembers" {
    ln -s "$(command -v cp)" bin/cp
    run --separate-stderr in_shell zsh "alias t=target" "target >/dev/null" \
        "cp tools/target early/target" "trakko t"
    [ "$output" = "t=target"$'\n'"$T$SANDBOX/early/target" ]
    [ "$stderr" = "trakko: target: the shell remembers $SANDBOX/tools/target; PATH now finds $SANDBOX/early/target first (hash -r forgets it)" ]
}
