#!/usr/bin/env bats
# The manual page: it must render without a single groff warning, and it must keep up with the
# program (every option of --help has its own entry, in the page and in the README's table; the
# version and the shell integration match what is shipped).

bats_require_minimum_version 1.5.0
load common

MAN_PAGE=$TRAKKO_SOURCE_DIR/doc/trakko.1

# The page as plain text on lines long enough that nothing is broken or hyphenated.
render_plain() {
    groff -man -Tascii -P-cbou -rLL=400n -rHY=0 "$MAN_PAGE"
}

# The text of one section (its heading excluded), from the plain rendering.
section() {
    render_plain | awk -v name="$1" '/^[A-Z]/ { on = ($0 == name); next } on'
}

# The options that --help lists, one a line: "--all, -a" gives --all and -a, "-[vV]" -v and -V.
help_options() {
    tk -- --help | grep -E '^  -' | sed -E 's/^  (-[^ ,]+(, -[^ ,]+)*),? .*/\1/' |
        sed -E 's/-\[([a-zA-Z]+)\]/-\1/' | tr -d ',' | tr ' ' '\n' |
        sed -E 's/^-([a-zA-Z])([a-zA-Z]+)$/-\1\n-\2/; s/=NAME$//' | LC_ALL=C sort
}

# The options that have an entry of their own (a tag line) in OPTIONS.
documented_options() {
    section OPTIONS | grep -E '^ {7}-' | sed -E 's/^ {7}(-[-a-zA-Z]*(, -[-a-zA-Z]*)*).*/\1/' |
        tr -d ',' | tr ' ' '\n' | LC_ALL=C sort
}

@test "the page renders with no warning, in every output device used for manual pages" {
    for device in ps ascii utf8; do
        run --separate-stderr groff -man -ww -z -T$device "$MAN_PAGE"
        [ "$status" -eq 0 ]
        [ "$stderr" = "" ] || { echo "$device: $stderr"; false; }
    done
}

@test "the page has the sections a reader looks for, in the usual order" {
    run bash -c "groff -man -Tascii -P-cbou '$MAN_PAGE' | grep -E '^[A-Z][A-Z ]+\$'"
    [ "$output" = "$(printf '%s\n' NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' ENVIRONMENT FILES \
        EXAMPLES DIAGNOSTICS SECURITY BUGS 'SEE ALSO')" ]
}

# The options that the first column of the README's table under "## Options" names.
readme_options() {
    awk '/^## / { on = ($0 == "## Options") } on && /^\| `-/' "$TRAKKO_SOURCE_DIR/README.md" |
        cut -d'|' -f2 | grep -oE '`-[-a-zA-Z]*`' | tr -d '`' | LC_ALL=C sort
}

@test "every option of --help has an entry in OPTIONS and in the README's table, and every entry is a real option" {
    help=$(help_options)
    [ "$(echo "$help" | wc -l)" -eq 24 ] # the parse of --help itself still works
    for documented in documented_options readme_options; do
        run $documented
        [ "$output" = "$help" ] || { echo "$documented:"; diff <(echo "$help") <(echo "$output"); false; }
    done
}

@test "ENVIRONMENT covers PATH, HOME and PWD" {
    run section ENVIRONMENT
    [ "$(echo "$output" | grep -E '^ {7}[A-Z]+ ' | awk '{ print $1 }' | tr '\n' ' ')" = "PATH HOME PWD " ]
}

@test "the page carries the version that trakko --version prints" {
    version=$(tk -- --version | sed -n '1s/^trakko \([^,]*\),.*/\1/p')
    [ -n "$version" ]
    grep -qE "^\.TH TRAKKO 1 [^ ]+ \"trakko $version\"" "$MAN_PAGE"
}

@test "the documented cap of the exit status is the one the program applies" {
    section 'EXIT STATUS' | grep -q '254'
    run tk PATH=/nonexistent -- $(seq -f 'x%g' 300)
    [ "$status" -eq 254 ]
    [ "$(echo "$output" | grep -c 'no x')" -eq 300 ]
}

@test "the integration shown in EXAMPLES is the one the shell files run" {
    shown=$(section EXAMPLES | grep -A1 '^ *command trakko' | sed -E 's/\\$//; s/^ +//' |
        tr '\n' ' ' | tr -s ' ')
    ran() { grep -A1 '^ *command trakko' "$1" | sed -E 's/\\$//; s/^ +//' | tr '\n' ' ' | tr -s ' '; }
    bash=$(ran "$TRAKKO_SOURCE_DIR"/share/trakko.bash)
    [ "$shown" = "$bash" ] || { printf 'man: %s\nbash: %s\n' "$shown" "$bash"; false; }
    # zsh runs the same options, its own name for --shell.
    zsh=$(ran "$TRAKKO_SOURCE_DIR"/share/trakko.zsh)
    zsh=${zsh/--shell=zsh/--shell=bash}
    [ "${shown%%<*}" = "${zsh%%<*}" ] || { printf 'man: %s\nzsh: %s\n' "$shown" "$zsh"; false; }
}
