# fish completion for trakko: options after a dash, command names (programs, functions and
# builtins, that the shell integration lets trakko show too) everywhere else.

complete -c trakko -x -a '(__fish_complete_command)'
complete -c trakko -s v -s V -l version -d 'Print the version and exit'
complete -c trakko -l help -d 'Print a summary of the options and exit'
complete -c trakko -l skip-dot -d 'Skip relative PATH entries'
complete -c trakko -l skip-tilde -d 'Skip PATH entries that begin with a tilde'
complete -c trakko -l show-dot -d 'Print ./x for matches through a dot entry'
complete -c trakko -l show-tilde -d 'Print ~/x for matches under the home directory'
complete -c trakko -l tty-only -d 'Cancel the four options to its right when not on a terminal'
complete -c trakko -s a -l all -d 'Print every match along PATH'
complete -c trakko -s i -l read-alias -d 'Read alias lines from standard input'
complete -c trakko -l skip-alias -d 'Cancel --read-alias'
complete -c trakko -l read-functions -d 'Read shell functions from standard input'
complete -c trakko -l skip-functions -d 'Cancel --read-functions'
complete -c trakko -l read-hash -d "Read the shell's remembered command paths from standard input"
complete -c trakko -l skip-hash -d 'Cancel --read-hash'
complete -c trakko -l read-builtins -d "Read the shell's builtins and keywords from standard input"
complete -c trakko -l skip-builtins -d 'Cancel --read-builtins'
complete -c trakko -l shell -x -a 'bash zsh ksh93 mksh fish' -d 'Answer by the rules of this shell'
complete -c trakko -l explain -d 'Explain on stderr why each candidate was taken or passed over'
complete -c trakko -l check-path -d 'Check PATH for missing, duplicate and unsafe directories'
