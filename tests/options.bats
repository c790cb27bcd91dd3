#!/usr/bin/env bats
# Option parsing: --help, --version, abbreviations, permutation, "--" and the --tty-only rule.

load common

setup() {
    setup_sandbox
    make_exe here/x d1/x d2/x
}
teardown() { teardown_sandbox; }

usage_tail() {
    cat <<'EOT'
Write the full path of COMMAND(s) to standard output.

  --version, -[vV] Print version and exit successfully.
  --help,          Print this help and exit successfully.
  --skip-dot       Skip directories in PATH that start with a dot.
  --skip-tilde     Skip directories in PATH that start with a tilde.
  --show-dot       Don't expand a dot to current directory in output.
  --show-tilde     Output a tilde for HOME directory for non-root.
  --tty-only       Stop processing options on the right if not on tty.
  --all, -a        Print all matches in PATH, not just the first
  --read-alias, -i Read list of aliases from stdin.
  --skip-alias     Ignore option --read-alias; don't read stdin.
  --read-functions Read shell functions from stdin.
  --skip-functions Ignore option --read-functions; don't read stdin.
  --read-hash      Read the shell's remembered command paths from stdin.
  --skip-hash      Ignore option --read-hash.
  --read-builtins  Read the shell's builtins and keywords from stdin.
  --skip-builtins  Ignore option --read-builtins.
  --shell=NAME     Answer by the rules of shell NAME: bash, zsh, ksh93, mksh, fish.
  --explain        Explain on stderr why each candidate was taken or passed over.
  --check-path     Check PATH for missing, duplicate and unsafe directories.

Recommended use is to write the output of (alias; declare -f) to standard
input, so that trakko can show aliases and shell functions. See trakko(1) for
examples.

If the options --read-alias and/or --read-functions are specified then the
output can be a full alias or function definition, optionally followed by
the full path of each command used inside of those.

Report bugs to <trakko-bugs@lists.trakko.dev>.
EOT
}

@test "--help prints the usage on stdout and ends the run, whatever follows" {
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --help x --all --version
    [ "$status" -eq 0 ]
    [ "$stderr" = "" ]
    [ "$output" = "$(printf 'Usage: %s [options] [--] COMMAND [...]\n' "$PROG"; usage_tail)" ]
}

@test "the usage line carries argv[0] exactly as given" {
    ln -s "$PROG" ./renamed  # the real binary, also when $TRAKKO is a wrapper
    run --separate-stderr env -i ./renamed --help
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Usage: ./renamed [options] [--] COMMAND [...]" ]
}

@test "-v, -V, --version and its prefixes print the four-line banner and succeed" {
    for opt in -v -V --version --vers --v -av; do
        run --separate-stderr tk PATH="$SANDBOX/d1" -- "$opt" x
        [ "$status" -eq 0 ]
        [ "${#lines[@]}" -eq 4 ]
        [[ "${lines[0]}" == "trakko "[0-9]*", Copyright (C) "* ]]
        [[ "${lines[3]}" == *LICENSE* ]]
        [ "$stderr" = "" ]
    done
}

@test "an unknown option is reported by the parser and otherwise ignored" {
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --bogus x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [[ "$stderr" == *"unrecognized option '--bogus'"* ]]

    run --separate-stderr tk PATH="$SANDBOX/d1" -- --bogus --version
    [ "$status" -eq 0 ]
    [ "${#lines[@]}" -eq 4 ]
    [[ "$stderr" == *"--bogus"* ]]

    # The parser's diagnostic names the program as every other message does, an empty argv[0]
    # included (the real binary: a wrapper in between would get an argv[0] of its own).
    run --separate-stderr bash -c 'PATH=$1 exec -a "" "$2" --bogus x nosuch' _ "$SANDBOX/d1" "$PROG"
    [ "$status" -eq 1 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "trakko: unrecognized option '--bogus'"$'\n'"trakko: no nosuch in ($SANDBOX/d1)" ]
}

@test "an ambiguous abbreviation is ignored; an unambiguous one works" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- --s x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [[ "$stderr" == *"ambiguous"* ]]

    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- --al x
    [ "$output" = "$(printf '%s\n' "$SANDBOX/d1/x" "$SANDBOX/d2/x")" ]

    # The shortest prefixes of the two audit options, which no older option shares.
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --e x
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "$PROG: x: $SANDBOX/d1/x: match" ]
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --c
    [ "$output" = "" ]
    [ "$status" -eq 0 ]

    # --read-h and --skip-h name the options of the remembered paths; --read stays ambiguous.
    echo "hash x=$SANDBOX/d2/x" >listing
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --read-h x <listing
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "$PROG: x: the shell remembers $SANDBOX/d2/x; PATH now finds $SANDBOX/d1/x first (hash -r forgets it)" ]
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --read-h x --skip-h <listing
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "" ]
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --read x <listing
    [ "$output" = "$SANDBOX/d1/x" ]
    [[ "$stderr" == *"ambiguous"* ]]
}

@test "--shell takes the five shells' names only, before anything is read or printed" {
    echo "alias x=y" >listing
    for name in sh bash5 "" ZSH; do
        run --separate-stderr tk PATH="$SANDBOX/d1" -- -i x --shell="$name" --help <listing
        [ "$status" -eq 255 ]
        [ "$output" = "" ]
        [ "$stderr" = "$PROG: unknown shell '$name'; use bash, zsh, ksh93, mksh or fish" ]
    done
    # Its shortest prefix; --sh stays ambiguous with --show-dot and --show-tilde.
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --she=ksh93 x --skip-b
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "" ]
    # Its argument joined or apart, whatever it looks like.
    run --separate-stderr tk PATH="$SANDBOX/d1" -- x --shell fish --shel=zsh --she --she=x
    [ "$status" -eq 255 ]
    [ "$stderr" = "$PROG: unknown shell '--she=x'; use bash, zsh, ksh93, mksh or fish" ]
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --sh x
    [[ "$stderr" == *"ambiguous"* ]]
}

@test "a value given to a switch is refused and the switch ignored" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- --all=yes x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [[ "$stderr" == *"doesn't allow an argument"* ]]
}

@test "options after a COMMAND still count; after -- they are COMMANDs" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- x -a
    [ "$output" = "$(printf '%s\n' "$SANDBOX/d1/x" "$SANDBOX/d2/x")" ]

    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- x -- -a
    [ "$status" -eq 1 ]
    [ "$output" = "$SANDBOX/d1/x" ]
    [ "$stderr" = "$PROG: no -a in ($SANDBOX/d1:$SANDBOX/d2)" ]
}

@test "--tty-only with output to a pipe cancels the display options to its right only" {
    cd here
    run --separate-stderr tk PATH=. -- --tty-only --show-dot x
    [ "$output" = "$SANDBOX/here/x" ]

    run --separate-stderr tk PATH=. -- --show-dot --tty-only x
    [ "$output" = "./x" ]

    # The last occurrence decides.
    run --separate-stderr tk PATH=. -- --show-dot --tty-only --show-dot x
    [ "$output" = "$SANDBOX/here/x" ]

    run --separate-stderr tk PATH=".:$SANDBOX/d1" -- --tty-only --skip-dot x
    [ "$output" = "$SANDBOX/here/x" ]
}

@test "--tty-only never touches -a" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- --tty-only -a x
    [ "$output" = "$(printf '%s\n' "$SANDBOX/d1/x" "$SANDBOX/d2/x")" ]
}

@test "--tty-only with output on a terminal changes nothing" {
    cd here
    run on_pty "env -i PATH=. '$TRAKKO' --tty-only --show-dot x"
    [ "$output" = "./x" ]
    run on_pty "env -i PATH=.:'$SANDBOX/d1' '$TRAKKO' --tty-only --skip-dot x"
    [ "$output" = "$SANDBOX/d1/x" ]
}

@test "--show-tilde is never in force for root" {
    [ "$(id -u)" -eq 0 ] || skip "needs effective user id 0"
    run --separate-stderr tk PATH="$SANDBOX/d1" HOME="$SANDBOX" -- --show-tilde x
    [ "$output" = "$SANDBOX/d1/x" ]
}
