#include "cli/cli.h"
#include "util/util.h"

// Byte for byte what users and scripts have seen since the first release, with the lines of
// the later options added after the others: the two of the remembered paths beside the other
// reading options, the two audit options last.
static const char usage_text[] =
    "Write the full path of COMMAND(s) to standard output.\n\n"
    "  --version, -[vV] Print version and exit successfully.\n"
    "  --help,          Print this help and exit successfully.\n"
    "  --skip-dot       Skip directories in PATH that start with a dot.\n"
    "  --skip-tilde     Skip directories in PATH that start with a tilde.\n"
    "  --show-dot       Don't expand a dot to current directory in output.\n"
    "  --show-tilde     Output a tilde for HOME directory for non-root.\n"
    "  --tty-only       Stop processing options on the right if not on tty.\n"
    "  --all, -a        Print all matches in PATH, not just the first\n"
    "  --read-alias, -i Read list of aliases from stdin.\n"
    "  --skip-alias     Ignore option --read-alias; don't read stdin.\n"
    "  --read-functions Read shell functions from stdin.\n"
    "  --skip-functions Ignore option --read-functions; don't read stdin.\n"
    "  --read-hash      Read the shell's remembered command paths from stdin.\n"
    "  --skip-hash      Ignore option --read-hash.\n"
    "  --read-builtins  Read the shell's builtins and keywords from stdin.\n"
    "  --skip-builtins  Ignore option --read-builtins.\n"
    "  --shell=NAME     Answer by the rules of shell NAME: bash, zsh, ksh93, mksh, fish.\n"
    "  --explain        Explain on stderr why each candidate was taken or passed over.\n"
    "  --check-path     Check PATH for missing, duplicate and unsafe directories.\n"
    "  --json           Write one JSON record per COMMAND instead of text.\n\n"
    "Recommended use is to write the output of (alias; declare -f) to standard\n"
    "input, so that trakko can show aliases and shell functions. See trakko(1) for\n"
    "examples.\n\n"
    "If the options --read-alias and/or --read-functions are specified then the\n"
    "output can be a full alias or function definition, optionally followed by\n"
    "the full path of each command used inside of those.\n\n"
    "Report bugs to <trakko-bugs@lists.trakko.dev>.\n";

static const char version_text[] =
    "trakko " TRAKKO_VERSION
    ", Copyright (C) 2026 The trakko developers\n"
    "This program comes with ABSOLUTELY NO WARRANTY, to the extent permitted by law;\n"
    "it is provided \"as is\", without warranty of any kind, express or implied.\n"
    "You may use and redistribute it under the terms of the MIT License (see LICENSE).\n";

void write_usage(FILE* stream) {
    fprintf(stream, "Usage: %s [options] [--] COMMAND [...]\n", program_name);
    fputs(usage_text, stream);
}

void write_version() {
    fputs(version_text, stdout);
}
