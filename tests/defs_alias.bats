# Alias resolution through the real command line: separators, quotes, striking, --all,
# functions inside aliases and an empty or unset PATH.
bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    make_exe bin/ls bin/grep bin/wc bin/sort bin/tee bin/cat 'bin/tee;' 'bin/a;b' bin/f
    B=$SANDBOX/bin
    T=$'\t'
}
teardown() { teardown_sandbox; }

# resolves LINE NAME...: the line as the whole listing, resolved for the NAMEs along bin.
resolves() {
    printf '%s\n' "$1" >listing
    shift
    run --separate-stderr tk PATH="$B" -- -i "$@" <listing
}

@test "the first word of every command between runs of | and & is resolved" {
    resolves "alias ll='ls -l | grep x || wc && sort & tee; cat'" ll
    [ "$status" -eq 0 ]
    [ "$output" = "alias ll='ls -l | grep x || wc && sort & tee; cat'
$T$B/ls
$T$B/grep
$T$B/wc
$T$B/sort
$T$B/tee;" ]
    resolves 'alias ll="ls -l|grep x||wc&&sort&tee"' ll
    [ "$output" = "alias ll=\"ls -l|grep x||wc&&sort&tee\"
$T$B/ls
$T$B/grep
$T$B/wc
$T$B/sort
$T$B/tee" ]
}

@test "blanks, the keyword, quotes and a ';' inside a word" {
    for line in "  ${T}alias $T ll = 'ls -l'" "ll='ls -l'" "aliasll='ls'" "alias ll=  $T'  ls'" \
        "alias ll 'ls'" "alias ll=ls${T}foo" "alias ll=ls"; do
        resolves "$line" ll
        [ "$status" -eq 0 ]
        [ "$output" = "$line
$T$B/ls" ]
    done
    resolves "alias x='a;b'" x
    [ "$output" = "alias x='a;b'
$T$B/a;b" ]
    resolves "alias x='ls |& wc'" x
    [ "$output" = "alias x='ls |& wc'
$T$B/ls
$T$B/wc" ]
}

@test "the first live COMMAND of the name is struck, a second copy stays" {
    resolves "alias ll='ls'" x ll ll
    [ "$status" -eq 2 ]
    [ "$output" = "alias ll='ls'
$T$B/ls" ]
    [ "$stderr" = "$TRAKKO: no x in ($B)
$TRAKKO: no ll in ($B)" ]
}

@test "alias lines come before the per-command output" {
    printf "alias ll='wc'\nalias gg=grep\n" >listing
    run tk PATH="$B" -- -i ls gg ll <listing
    [ "$output" = "alias ll='wc'
$T$B/wc
alias gg=grep
$T$B/grep
$B/ls" ]
}

@test "with --all a word equal to the COMMAND strikes it, any other keeps it" {
    resolves "alias ls='ls -F'" --all ls ls
    [ "$status" -eq 0 ]
    [ "$output" = "alias ls='ls -F'
$T$B/ls
$B/ls" ]
    resolves "alias ll='ls -F'" --all ll
    [ "$status" -eq 1 ]
    [ "$output" = "alias ll='ls -F'
$T$B/ls" ]
    [ "$stderr" = "$TRAKKO: no ll in ($B)" ]
}

@test "a function inside an alias, a word with a '/', and a last line without newline" {
    printf "alias x='f | bin/f'\nf () \n{ \n  y\n}\nbin/f () \n{\n}\n" >listing
    run tk PATH="$B" -- -i --read-functions x <listing
    [ "$status" -eq 0 ]
    [ "$output" = "alias x='f | bin/f'
$T"$'f ()\n\t{ \n\t  y\n\t}\n'"$T$B/f" ]
    run --separate-stderr tk PATH="$B" -- -i --read-functions --all x <listing
    [ "$stderr" = "$TRAKKO: no x in ($B)" ]
    [ "$output" = "alias x='f | bin/f'
$T"$'f ()\n\t{ \n\t  y\n\t}\n'"$T$B/f
$T$B/f" ]
    printf 'alias x=ls' >listing
    run tk PATH="$B" -- -i x <listing
    [ "$output" = "alias x=ls$T$B/ls" ]
}

@test "with PATH empty or unset the line and functions print, and no path is searched" {
    printf "alias x='f | ls'\nf () {\n  y\n}\n" >listing
    for path in PATH= ""; do
        run --separate-stderr tk $path -- -i --read-functions x ls <listing
        [ "$status" -eq 1 ]
        [ "$output" = "alias x='f | ls'
$T"$'f () {\n\t  y\n\t}' ]
        [ "$stderr" = "$TRAKKO: no ls in ()" ]
    done
}
