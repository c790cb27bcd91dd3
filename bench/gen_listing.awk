# Writes (alias; declare -f)-shaped listings, in the form bash prints them ("name () " and "{ "
# with their trailing blanks, four-space indents, ";" line ends).
#
#   awk -v mode=listing -v bytes=N      about N bytes: 200 alias lines, then completion-like
#                                       functions; the last one is named _bench_last
#   awk -v mode=functions -v count=N    N short functions fn_1 .. fn_N
#   awk -v mode=aliases -v count=N      N alias lines al_1 .. al_N, each running two of the
#                                       commands ls grep git less sort tail make ssh
#   awk -v mode=names -v prefix=P -v count=N   the names P1 .. PN, one per line

function body_options(name) {
    return "    local cur prev words cword split;\n" \
        "    _init_completion -s || return;\n" \
        "    case $prev in \n" \
        "        -h | --help | --version)\n" \
        "            return\n" \
        "        ;;\n" \
        "        -o | --output | --log-file)\n" \
        "            _filedir;\n" \
        "            return\n" \
        "        ;;\n" \
        "        -j | --jobs)\n" \
        "            COMPREPLY=($(compgen -W \"{1..$(_ncpus)}\" -- \"$cur\"));\n" \
        "            return\n" \
        "        ;;\n" \
        "    esac;\n" \
        "    $split && return;\n" \
        "    if [[ $cur == -* ]]; then\n" \
        "        COMPREPLY=($(compgen -W '$(_parse_help \"$1\")' -- \"$cur\"));\n" \
        "        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace;\n" \
        "        return;\n" \
        "    fi;\n" \
        "    _filedir '@(" name "|cfg|conf)'\n"
}

function body_words(name) {
    return "    local cur prev words cword;\n" \
        "    _init_completion -n = || return;\n" \
        "    if ((cword == 1)); then\n" \
        "        COMPREPLY=($(compgen -W 'add list remove show start stop' -- \"$cur\"));\n" \
        "        return;\n" \
        "    fi;\n" \
        "    local mode;\n" \
        "    [[ ${words[1]} == [ar] ]] && mode=w || mode=r;\n" \
        "    case $cur in \n" \
        "        --config=*)\n" \
        "            cur=${cur#*=};\n" \
        "            _filedir conf;\n" \
        "            return\n" \
        "        ;;\n" \
        "    esac;\n" \
        "    COMPREPLY=($(compgen -W \"$(command " name " list 2> /dev/null)\" -- \"$cur\"))\n"
}

function body_short(name) {
    return "    local IFS=$'\\n';\n" \
        "    COMPREPLY=($(compgen -A function -- \"${COMP_WORDS[COMP_CWORD]}\"));\n" \
        "    [[ -n ${" name "_cache-} ]] || " name "_cache=$(printf '%s\\n' \"${COMPREPLY[@]}\")\n"
}

function emit(text) {
    printf "%s", text
    written += length(text)
}

function function_text(name, body) {
    return name " () \n{ \n" body "}\n"
}

function listing(   i, name, body) {
    for (i = 1; i <= 200; i++) {
        if (i % 3 == 0) emit("alias a" i "='ls -alF --color=auto | less -R'\n")
        else if (i % 3 == 1) emit("alias g" i "='grep --color=auto -n'\n")
        else emit("alias s" i "=\"sudo systemctl restart unit" i " && journalctl -fu unit" i "\"\n")
    }
    for (i = 1; written < bytes; i++) {
        name = "_comp_" i
        if (i % 3 == 0) body = body_options(name)
        else if (i % 3 == 1) body = body_words(name)
        else body = body_short(name)
        emit(function_text(name, body))
        if (i % 50 == 0) emit("declare -fx " name "\n")
    }
    emit(function_text("_bench_last", body_short("_bench_last")))
}

BEGIN {
    if (mode == "listing") {
        listing()
    } else if (mode == "functions") {
        for (i = 1; i <= count; i++)
            printf "%s", function_text("fn_" i, \
                "    local cur=${COMP_WORDS[COMP_CWORD]};\n" \
                "    COMPREPLY=($(compgen -W 'start stop status' -- \"$cur\"))\n")
    } else if (mode == "aliases") {
        n = split("ls grep git less sort tail make ssh", word, " ")
        for (i = 1; i <= count; i++)
            printf "alias al_%d='%s --color=auto | %s -v x'\n", i, word[i % n + 1], word[(i + 3) % n + 1]
    } else if (mode == "names") {
        for (i = 1; i <= count; i++) print prefix i
    } else {
        print "gen_listing.awk: mode must be listing, functions, aliases or names" > "/dev/stderr"
        exit 2
    }
}
