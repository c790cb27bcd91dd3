#include <getopt.h>
#include <unistd.h>

#include "cli/cli.h"

OptionSet options;
int tty_cutoff = 0;

// The ten long options without a short form store their code here; --all and --read-alias
// return their letters instead, so that they take the same path as -a and -i.
static int option_code = 0;

enum : int {
    CODE_VERSION = 0,
    CODE_SKIP_DOT = 1,
    CODE_SKIP_TILDE = 2,
    CODE_SKIP_ALIAS = 3,
    CODE_READ_FUNCTIONS = 4,
    CODE_SKIP_FUNCTIONS = 5,
    CODE_SHOW_DOT = 6,
    CODE_SHOW_TILDE = 7,
    CODE_TTY_ONLY = 8,
    CODE_HELP = 9,
};

// clang-format off
static const struct option long_options[] = {
    {"help",           no_argument, &option_code, CODE_HELP},
    {"version",        no_argument, &option_code, CODE_VERSION},
    {"skip-dot",       no_argument, &option_code, CODE_SKIP_DOT},
    {"skip-tilde",     no_argument, &option_code, CODE_SKIP_TILDE},
    {"show-dot",       no_argument, &option_code, CODE_SHOW_DOT},
    {"show-tilde",     no_argument, &option_code, CODE_SHOW_TILDE},
    {"tty-only",       no_argument, &option_code, CODE_TTY_ONLY},
    {"all",            no_argument, nullptr,      'a'},
    {"read-alias",     no_argument, nullptr,      'i'},
    {"skip-alias",     no_argument, &option_code, CODE_SKIP_ALIAS},
    {"read-functions", no_argument, &option_code, CODE_READ_FUNCTIONS},
    {"skip-functions", no_argument, &option_code, CODE_SKIP_FUNCTIONS},
    {nullptr,          0,           nullptr,      0},
};
// clang-format on

// The four display and skip options assign rather than add, and read tty_cutoff at the moment
// they are met: a --tty-only to their left cancels them when output is not a terminal.
static int unless_cut_off() {
    return tty_cutoff ? 0 : 1;
}

// Acts on the code of a long option; false when the run ends here (--help, --version).
static bool act_on_code(int code) {
    switch (code) {
        case CODE_HELP:
            write_usage(stdout);
            return false;
        case CODE_VERSION:
            write_version();
            return false;
        case CODE_SKIP_DOT:
            options.opt_skip_dot = unless_cut_off();
            break;
        case CODE_SKIP_TILDE:
            options.opt_skip_tilde = unless_cut_off();
            break;
        case CODE_SHOW_DOT:
            options.opt_show_dot = unless_cut_off();
            break;
        // The tilde form is never used for root, whatever else is given.
        case CODE_SHOW_TILDE:
            options.opt_show_tilde = tty_cutoff ? 0 : geteuid() != 0;
            break;
        case CODE_TTY_ONLY:
            tty_cutoff = isatty(1) ? 0 : 1;
            break;
        case CODE_SKIP_ALIAS:
            options.opt_skip_alias = 1;
            break;
        case CODE_READ_FUNCTIONS:
            options.opt_read_functions = 1;
            break;
        case CODE_SKIP_FUNCTIONS:
            options.opt_skip_functions = 1;
            break;
        default:
            break;
    }
    return true;
}

// True when no argument looks like an option: getopt_long would only step over them all.
static bool names_only(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-') return false;
    return true;
}

bool parse_command_line(int argc, char** argv) {
    // Most runs give names only: they skip getopt_long, its set-up and the loader's binding of
    // it. optind then indexes the first name, as getopt_long would leave it.
    if (names_only(argc, argv)) {
        optind = 1;
        return true;
    }
    int c;
    while ((c = getopt_long(argc, argv, "aivV", long_options, nullptr)) != -1) {
        switch (c) {
            case 'a':
                options.opt_all = 1;
                break;
            case 'i':
                options.opt_read_alias = 1;
                break;
            case 'v':
            case 'V':
                write_version();
                return false;
            case 0:
                if (!act_on_code(option_code)) return false;
                break;
            default:
                break;  // getopt_long has written its diagnostic; the option is ignored
        }
    }
    return true;
}
