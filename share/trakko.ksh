# trakko shell integration for ksh93 and mksh. Source it from ~/.kshrc (ksh93) or
# ~/.mkshrc (mksh):
#
#     . /usr/share/trakko/trakko.ksh
#
# It defines a shell function trakko that hands the binary this shell's own aliases and
# functions, so that "trakko ll" shows the alias ll and the path of what it runs, and
# "trakko f" the definition of the function f: what the shell would really run, not only what
# PATH holds. The options are those of the bash and zsh integration (see trakko.bash).
#
# Both shells list aliases as NAME=VALUE, which trakko reads as it stands. Their function
# listings it does not take: ksh93 prints each function as it was written ("f() { ...; }" on
# one line, "function f {"), mksh as "f() {" with a closing "} ". The awk program below turns
# each function into a "NAME () {" block that ends on a line holding only "}"; a line that
# is only "}" inside the function (a here-document's) gets a trailing space, so that it
# cannot end the block early. A body that is no brace group, such as "f() ( cd /; ls )", is
# shown inside braces, which runs the same.
#
# The listing goes in as a here-document rather than through a pipe: mksh has no process
# substitution, and this way the status is the binary's own even under pipefail when it reads
# nothing (--help). "function trakko" keeps the variable local in ksh93 and an alias named
# trakko from rewriting the definition while this file is read.

function trakko {
    typeset listing
    listing=$(
        alias
        # ksh93 writes "f()" for functions defined in the POSIX form; the \001 line separates
        # the functions and carries the name.
        typeset +f | while read -r name; do
            name=${name%'()'}
            printf '\001%s\n' "$name"
            typeset -f "$name"
        done | command awk '
            function flush(   s, first, last, i) {
                if (n == 0 || name == "") return
                s = line[1]
                sub(/^[ \t]+/, "", s)
                if (s ~ /^function[ \t]/) { s = substr(s, 9); sub(/^[ \t]+/, "", s) }
                if (substr(s, 1, length(name)) == name) s = substr(s, length(name) + 1)
                sub(/^[ \t]*\([ \t]*\)/, "", s)
                sub(/^[ \t]+/, "", s)
                line[1] = s
                for (first = 1; first < n && line[first] ~ /^[ \t]*$/; first++) ;
                last = n
                print name " () {"
                if (line[first] ~ /^\{/ && line[last] ~ /\}[ \t]*$/) {
                    sub(/^\{[ \t]*/, "", line[first])
                    sub(/[ \t]*\}[ \t]*$/, "", line[last])
                    if (line[first] != "") emit("\t" line[first])
                    for (i = first + 1; i < last; i++) emit(line[i])
                    if (last > first && line[last] !~ /^[ \t]*$/) emit(line[last])
                } else {
                    for (i = first; i <= last; i++) emit("\t" line[i])
                }
                print "}"
            }
            function emit(s) { print (s == "}" ? "} " : s) }
            /^\001/ { flush(); name = substr($0, 2); n = 0; next }
            { line[++n] = $0 }
            END { flush() }'
    )
    if [ -n "$listing" ]; then
        command trakko --tty-only --read-alias --read-functions --show-tilde --show-dot "$@" <<EOF_TRAKKO
$listing
EOF_TRAKKO
    else
        command trakko --tty-only --read-alias --read-functions --show-tilde --show-dot "$@" \
            </dev/null
    fi
}
