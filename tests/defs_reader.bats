# The definition stream read from standard input: the terminal warning, header forms, bodies
# and lines of any length, through the real command line.
bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    make_exe bin/ls
    B=$SANDBOX/bin
}
teardown() { teardown_sandbox; }

@test "a terminal on stdin is warned about, naming the reading options in force" {
    run on_pty env -i PATH="$B" "$TRAKKO" -i ls
    [ "$output" = "$PROG: --read-alias, -i: Warning: stdin is a tty.
$B/ls" ]
    run on_pty env -i PATH="$B" "$TRAKKO" --read-functions -i ls
    [ "$output" = "$PROG: --read-functions, --read-alias, -i: Warning: stdin is a tty.
$B/ls" ]
    run on_pty env -i PATH="$B" "$TRAKKO" --read-functions -i --skip-alias ls
    [ "$output" = "$PROG: --read-functions: Warning: stdin is a tty.
$B/ls" ]
    run on_pty env -i PATH="$B" "$TRAKKO" -i --read-hash ls
    [ "$output" = "$PROG: --read-alias, -i, --read-hash: Warning: stdin is a tty.
$B/ls" ]
    # Without a COMMAND the audit reads the remembered paths alone.
    run on_pty env -i PATH="$B" "$TRAKKO" -i --read-hash --check-path
    [ "$output" = "$PROG: --read-hash: Warning: stdin is a tty." ]
}

@test "no warning when stdin is not a terminal, and empty input changes nothing" {
    run --separate-stderr tk PATH="$B" -- -i --read-functions ls </dev/null
    [ "$status" -eq 0 ]
    [ "$output" = "$B/ls" ]
    [ "$stderr" = "" ]
}

@test "the brace form of any header sets the header form of every function" {
    printf 'g () \n{ \n  a\n}\nf () {\n  b\n}\n' >listing
    run tk PATH="$B" -- --read-functions g f <listing
    [ "$output" = $'g () {\n{ \n  a\n}\nf () {\n  b\n}' ]
    printf 'g () \n{ \n  a\n}\n' >listing
    run tk PATH="$B" -- --read-functions g <listing
    [ "$output" = $'g ()\n{ \n  a\n}' ]
}

@test "declare lines, header forms and names as the listing writes them" {
    printf '%s\n' 'declare -fx f' 'declare -f foo ()' '{ 1' '}' 'declare -fx a b ()' '{ 2' '}' \
        '  ()' '{ 3' '}' 'f()' 'h () ' '} ' '}' >listing
    run --separate-stderr tk -- --read-functions foo a '' f h <listing
    [ "$status" -eq 1 ]
    [ "$output" = $'foo ()\n{ 1\n}\na ()\n{ 2\n}\n ()\n{ 3\n}\nh ()\n} \n}' ]
    [ "$stderr" = "$PROG: no f in ()" ]
}

@test "a function shown takes the place of the path search unless --all" {
    printf 'ls () {\n  echo\n}\nbin/ls () {\n}\n' >listing
    run tk PATH="$B" -- --read-functions ls bin/ls <listing
    [ "$output" = $'ls () {\n  echo\n}\n'"$B/ls" ]
    run tk PATH="$B" -- --read-functions --all ls <listing
    [ "$output" = $'ls () {\n  echo\n}\n'"$B/ls" ]
    run tk PATH= -- --read-functions ls <listing
    [ "$status" -eq 0 ]
    [ "$output" = $'ls () {\n  echo\n}' ]
    run tk -- --read-functions ls <listing
    [ "$status" -eq 0 ]
}

@test "a long alias line is one line: its tail after 1023 bytes defines nothing" {
    pad=$(printf 'y%.0s' {1..1009})
    printf "alias pad='ls %sll=ls'\nalias pad2=ls\n" "$pad" >listing
    run --separate-stderr tk PATH="$B" -- -i ll pad <listing
    [ "$status" -eq 1 ]
    [ "$output" = "alias pad='ls ${pad}ll=ls'
	$B/ls" ]
    [ "$stderr" = "$PROG: no ll in ($B)" ]
}

@test "a body ends only at a whole line that is }" {
    long=$(printf 'x%.0s' {1..1023})
    printf 'f () {\n%s}\n  more\n}\nalias f=ls\n' "$long" >listing
    run tk PATH="$B" -- -i --read-functions f <listing
    [ "$output" = "f () {
$long}
  more
}" ]
}

@test "end of input inside a body keeps what was read, without a closing line" {
    printf 'f () \n{ \n  x' >listing
    run tk -- --read-functions f <listing
    [ "$status" -eq 0 ]
    [ "$output" = $'f ()\n{ \n  x' ]
    printf 'f () \n' >listing
    run tk -- --read-functions f <listing
    [ "$output" = 'f ()' ]
}

# The listing on standard input, then what is left of it for the next reader.
show_f_then_rest() {
    tk -- --read-functions f
    echo "rest: $(cat)"
}
skip_line_show_f_then_rest() {
    read -r _
    show_f_then_rest
}

@test "a listing reads the same from a file, a pipe or a file already read part-way" {
    printf 'x\nf () \n{ \n  a\n}\n' >listing
    run tk -- --read-functions f <listing
    [ "$output" = $'f ()\n{ \n  a\n}' ]
    run tk -- --read-functions f < <(cat listing)
    [ "$output" = $'f ()\n{ \n  a\n}' ]
    # The input is consumed as by reading: whatever follows on the same descriptor sees its end.
    run show_f_then_rest <listing
    [ "$output" = $'f ()\n{ \n  a\n}\nrest: ' ]
    run skip_line_show_f_then_rest <listing
    [ "$output" = $'f ()\n{ \n  a\n}\nrest: ' ]
    printf 'f () \n{ \n  a\n}\n' >listing
    run --separate-stderr skip_line_show_f_then_rest <listing
    [ "$output" = 'rest: ' ]
    [ "$stderr" = "$PROG: no f in ()" ]
}
