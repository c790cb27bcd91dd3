# trakko shell integration for fish. Source it from ~/.config/fish/config.fish:
#
#     source /usr/share/trakko/trakko.fish
#
# It defines a function trakko that hands the binary this shell's own aliases and functions,
# so that "trakko ll" shows the alias ll and the path of what it runs, and "trakko f" the
# definition of the function f: what fish would really run, not only what PATH holds. The
# options are those of the bash and zsh integration (see trakko.bash).
#
# fish has no listing that trakko reads, so the function writes one: an alias (a function
# that fish's alias made, described as "alias NAME=VALUE") becomes an "alias NAME='VALUE'"
# line, and every other function a "NAME () {" block with the body that fish prints between
# its "function" line and its "end", closed by a line holding only "}". A body line that is
# only "}" (inside a quoted string) gets a trailing space, so that it cannot end the block
# early. The aliases come first, as trakko expects. The status of the pipe is the binary's.

function trakko --description 'Write the full path of commands, aliases and functions'
    begin
        set -l others
        for name in (functions --names)
            set -l description (functions --details --verbose -- $name)[5]
            set -l value (string replace -- "alias $name=" '' $description)
            if test "$value" != "$description"
                printf "alias %s='%s'\n" $name (string replace --all -- "'" "'\\''" $value)
            else
                set --append others $name
            end
        end
        for name in $others
            set -l text (functions --no-details -- $name)
            printf '%s () {\n' $name
            # $text[2..-2] would run backwards for a definition of two lines.
            if test (count $text) -gt 2
                string replace --regex -- '^}$' '} ' $text[2..-2]
            end
            printf '}\n'
        end
    end | command trakko --tty-only --read-alias --read-functions --show-tilde --show-dot $argv
end
