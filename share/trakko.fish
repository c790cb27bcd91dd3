# trakko shell integration for fish. Source it from ~/.config/fish/config.fish:
#
#     source /usr/share/trakko/trakko.fish
#
# It defines a function trakko that hands the binary this shell's own aliases and functions,
# so that "trakko ll" shows the alias ll and the path of what it runs, and "trakko f" the
# definition of the function f: what fish would really run, not only what PATH holds. The
# options are those of the bash and zsh integration (see trakko.bash). Sourced from where an
# install put it, it also lets fish find the completion installed with it (see the end).
#
# fish has no listing that trakko reads, so the function writes one, for the names it is asked
# about and the commands their aliases run: an alias (a function that fish's alias made, whose
# description is "alias NAME=VALUE" or "alias NAME VALUE") becomes an "alias NAME='VALUE'"
# line, and any other function a "NAME () {" block with the body that fish prints between its
# "function" line and its "end", closed by a line holding only "}". A body line that is only
# "}" (inside a quoted string) gets a trailing space, so that it cannot end the block early.
# Only those names, and the words of their aliases' values, are looked at: listing every
# function would load, and so run, every file of fish's function path. The builtins (builtin -n) come first, with --read-builtins and
# --shell=fish, in the block that trakko takes them from, then the aliases, as trakko expects.
# The status of the pipe is the binary's own.

function __trakko_facts --description 'Write the facts of fish that trakko reads first'
    for name in (builtin -n)
        echo "enable $name"
    end
end

# __trakko_listing NAME...: the listing that trakko needs for the NAMEs, and for every word of
# their aliases' values, inner aliases followed.
function __trakko_listing
    set -l todo $argv
    set -l seen
    set -l aliases
    set -l functions
    while set -q todo[1]
        set -l name $todo[1]
        set --erase todo[1]
        if test -z "$name"; or string match -q -- '-*' $name; or contains -- $name $seen
            continue
        end
        set --append seen $name
        functions --query -- $name; or continue
        set -l description (functions --details --verbose -- $name)[5]
        set -l value (string replace --regex -- \
            '^alias '(string escape --style=regex -- $name)'[= ]' '' $description)
        if test "$value" = "$description"
            set --append functions $name
            continue
        end
        set --append aliases "alias $name='"(string replace --all -- "'" "'\\''" $value)"'"
        # Every word may be a command: a few too many cost nothing.
        set --append todo (string split --no-empty -- ' ' \
            (string replace --all --regex -- '[\s;&|()<>{}\'"\\\\]' ' ' $value))
    end
    __trakko_facts
    for line in $aliases
        echo $line
    end
    for name in $functions
        set -l text (functions --no-details -- $name)
        printf '%s () {\n' $name
        # $text[2..-2] would run backwards for a definition of two lines.
        if test (count $text) -gt 2
            string replace --regex -- '^}$' '} ' $text[2..-2]
        end
        printf '}\n'
    end
end

function trakko --description 'Write the full path of commands, aliases and functions'
    __trakko_listing $argv | command trakko --tty-only --read-alias --read-functions \
        --read-builtins --shell=fish --show-tilde --show-dot $argv
end

# fish reads vendor completions from share/fish/vendor_completions.d only under the prefixes of
# XDG_DATA_DIRS, which servers and containers mostly leave unset (fish then reads /usr alone),
# and under ~/.local: after a source install into /usr/local, the completion installed beside
# this file would go unseen. Its directory joins the vendor directories, before fish's own
# completions and those that fish generates from manual pages.
begin
    set -l dir (string replace --filter --regex -- '/trakko/[^/]*$' /fish/vendor_completions.d \
        (status filename))
    if test -d "$dir"; and not contains -- $dir $fish_complete_path
        set -l before
        set -l after $fish_complete_path
        while set -q after[1]; and test "$after[1]" != "$__fish_data_dir/completions"
            set --append before $after[1]
            set --erase after[1]
        end
        set fish_complete_path $before $dir $after
    end
end
