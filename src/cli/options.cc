#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "util/report.h"

// The long options without a short form return codes above any byte; --all and
// --read-alias return their letters instead, so that they take the same path as -a and -i.
enum : int {
    CODE_VERSION = 256,
    CODE_SKIP_DOT,
    CODE_SKIP_TILDE,
    CODE_SKIP_ALIAS,
    CODE_READ_FUNCTIONS,
    CODE_SKIP_FUNCTIONS,
    CODE_SHOW_DOT,
    CODE_SHOW_TILDE,
    CODE_TTY_ONLY,
    CODE_HELP,
    CODE_EXPLAIN,
    CODE_CHECK_PATH,
    CODE_READ_HASH,
    CODE_SKIP_HASH,
    CODE_READ_BUILTINS,
    CODE_SKIP_BUILTINS,
    CODE_SHELL,
};

// clang-format off
static const struct option long_options[] = {
    {"help",           no_argument, nullptr, CODE_HELP},
    {"version",        no_argument, nullptr, CODE_VERSION},
    {"skip-dot",       no_argument, nullptr, CODE_SKIP_DOT},
    {"skip-tilde",     no_argument, nullptr, CODE_SKIP_TILDE},
    {"show-dot",       no_argument, nullptr, CODE_SHOW_DOT},
    {"show-tilde",     no_argument, nullptr, CODE_SHOW_TILDE},
    {"tty-only",       no_argument, nullptr, CODE_TTY_ONLY},
    {"all",            no_argument, nullptr, 'a'},
    {"read-alias",     no_argument, nullptr, 'i'},
    {"skip-alias",     no_argument, nullptr, CODE_SKIP_ALIAS},
    {"read-functions", no_argument, nullptr, CODE_READ_FUNCTIONS},
    {"skip-functions", no_argument, nullptr, CODE_SKIP_FUNCTIONS},
    {"explain",        no_argument, nullptr, CODE_EXPLAIN},
    {"check-path",     no_argument, nullptr, CODE_CHECK_PATH},
    {"read-hash",      no_argument, nullptr, CODE_READ_HASH},
    {"skip-hash",      no_argument, nullptr, CODE_SKIP_HASH},
    {"read-builtins",  no_argument, nullptr, CODE_READ_BUILTINS},
    {"skip-builtins",  no_argument, nullptr, CODE_SKIP_BUILTINS},
    {"shell",          required_argument, nullptr, CODE_SHELL},
    {nullptr,          0,           nullptr, 0},
};
// clang-format on

namespace {

// The options as they stand so far, and whether a --tty-only met so far found standard output
// not to be a terminal: the four display and skip options assign rather than add, and read it
// at the moment they are met, so that a --tty-only to their left cancels them.
struct ParseState {
    OptionSet options;
    bool tty_cutoff = false;
    int status = 0;         // the status of a run that ends while its options are read
    char** argv = nullptr;  // as getopt_long leaves it, for the argument of --shell
};

// The argument of the --shell that getopt_long has just returned, read from argv: naming
// optarg would make the loader bind one more libc symbol (a copy relocation) on every run,
// options or not, half a percent of a plain lookup. getopt_long has just stepped over it: it
// is the text after '=' of argv[optind - 1], or the whole of that word when the option stood
// apart in argv[optind - 2] (a word of "--she" or more of "--shell", with no '=').
const char* shell_argument(char** argv) {
    const char* last = argv[optind - 1];
    if (optind >= 2) {
        const char* before = argv[optind - 2];
        size_t length = strlen(before);
        if (length >= 5 && strchr(before, '=') == nullptr &&
            strncmp(before, "--shell", length) == 0)
            return last;
    }
    return strchr(last, '=') + 1;
}

// The shell that --shell names; unset for a name it does not know.
ShellName shell_named(const char* name) {
    static const struct {
        const char* name;
        ShellName shell;
    } shells[] = {{"bash", ShellName::bash},
                  {"zsh", ShellName::zsh},
                  {"ksh93", ShellName::ksh93},
                  {"mksh", ShellName::mksh},
                  {"fish", ShellName::fish}};
    for (const auto& known : shells)
        if (strcmp(name, known.name) == 0) return known.shell;
    return ShellName::unset;
}

// Acts on one option; false when the run ends here (--help, --version).
bool act_on(int code, ParseState& state) {
    OptionSet& options = state.options;
    bool on = !state.tty_cutoff;
    switch (code) {
        case CODE_HELP:
            write_usage(stdout);
            return false;
        case 'v':
        case 'V':
        case CODE_VERSION:
            write_version();
            return false;
        case 'a':
            options.opt_all = true;
            break;
        case 'i':
            options.opt_read_alias = true;
            break;
        case CODE_SKIP_DOT:
            options.opt_skip_dot = on;
            break;
        case CODE_SKIP_TILDE:
            options.opt_skip_tilde = on;
            break;
        case CODE_SHOW_DOT:
            options.opt_show_dot = on;
            break;
        // The tilde form is never used for root, whatever else is given.
        case CODE_SHOW_TILDE:
            options.opt_show_tilde = on && geteuid() != 0;
            break;
        case CODE_TTY_ONLY:
            state.tty_cutoff = !isatty(1);
            break;
        case CODE_SKIP_ALIAS:
            options.opt_skip_alias = true;
            break;
        case CODE_READ_FUNCTIONS:
            options.opt_read_functions = true;
            break;
        case CODE_SKIP_FUNCTIONS:
            options.opt_skip_functions = true;
            break;
        // Neither says anything about results, so --tty-only leaves them alone.
        case CODE_EXPLAIN:
            options.opt_explain = true;
            break;
        case CODE_CHECK_PATH:
            options.opt_check_path = true;
            break;
        case CODE_READ_HASH:
            options.opt_read_hash = true;
            break;
        case CODE_SKIP_HASH:
            options.opt_skip_hash = true;
            break;
        case CODE_READ_BUILTINS:
            options.opt_read_builtins = true;
            break;
        case CODE_SKIP_BUILTINS:
            options.opt_skip_builtins = true;
            break;
        // Not a display option: --tty-only leaves it alone. A name it does not know ends the
        // run before anything is read or printed.
        case CODE_SHELL:
            options.shell = shell_named(shell_argument(state.argv));
            if (options.shell == ShellName::unset) {
                write_message(std::string("unknown shell '") + shell_argument(state.argv) +
                              "'; use bash, zsh, ksh93, mksh or fish\n");
                state.status = 255;
                return false;
            }
            break;
        default:
            break;  // getopt_long has written its diagnostic; the option is ignored
    }
    return true;
}

// True when no argument looks like an option: getopt_long would only step over them all.
bool names_only(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-') return false;
    return true;
}

}  // namespace

CommandLine parse_command_line(int argc, char** argv) {
    CommandLine line;
    // Most runs give names only: they skip getopt_long, its set-up and the loader's binding of
    // it. The first name is then argv[1], as getopt_long would leave optind.
    if (names_only(argc, argv)) return line;
    ParseState state;
    state.argv = argv;
    int c;
    while ((c = getopt_long(argc, argv, "aivV", long_options, nullptr)) != -1) {
        if (!act_on(c, state)) {
            line.run_on = false;
            line.status = state.status;
            return line;
        }
    }
    line.options = state.options;
    line.first_command = optind;
    return line;
}
