#include <getopt.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "cli/cli.h"
#include "defs/defs.h"
#include "identity/identity.h"
#include "search/search.h"
#include "util/util.h"

PathPrefix HomePrefix;

// Statuses above 254 would wrap (256 failures reading as success) or collide with the 255 of
// usage errors and fatal conditions.
static constexpr int max_failure_status = 254;

void fill_prefix(PathPrefix& prefix, const char* source) {
    size_t length = strnlen(source, sizeof prefix.text - 1);
    memcpy(prefix.text, source, length);
    prefix.text[length] = '\0';
    prefix.length = length;
    if (length == 0) {
        strcpy(prefix.text, "/");
        prefix.length = 1;
    } else if (prefix.text[length - 1] != '/' && length < sizeof prefix.text - 1) {
        // At 1023 bytes there is no room left for the '/', and the text stays as it is.
        prefix.text[length] = '/';
        prefix.text[length + 1] = '\0';
        prefix.length = length + 1;
    }
}

static void fill_home_prefix() {
    const char* home = getenv("HOME");
    fill_prefix(HomePrefix, home != nullptr ? home : user_home());
}

static void warn_if_stdin_is_tty() {
    if (!isatty(0)) return;
    const char* which = !options.opt_read_functions ? "--read-alias, -i"
                        : options.opt_read_alias    ? "--read-functions, --read-alias, -i"
                                                    : "--read-functions";
    fprintf(stderr, "%s: %s: Warning: stdin is a tty.\n", program_name, which);
}

static bool is_set(const char* path_list) {
    return path_list != nullptr && *path_list != '\0';
}

static void report_missing(const char* command, const char* path_list) {
    if (name_has_slash) {
        const char* base = strrchr(command, '/') + 1;
        fprintf(stderr, "%s: no %s in (%s)\n", program_name, base, slash_dir.c_str());
    } else {
        fprintf(stderr, "%s: no %s in (%s)\n", program_name, command,
                path_list != nullptr ? path_list : "");
    }
}

// Shows the function or searches PATH for one COMMAND; true when something was printed.
static bool handle_command(const char* command, const char* path_list) {
    bool shown = false;
    if (options.opt_read_functions && strchr(command, '/') == nullptr)
        shown = show_function(0, command, brace_style) != 0;
    bool found = false;
    if (is_set(path_list) && (!shown || options.opt_all))
        found = lookup_command(0, command, path_list) != 0;
    return shown || found;
}

static void read_stdin_definitions(CommandList& commands, const char* path_list) {
    warn_if_stdin_is_tty();
    read_definitions();
    if (!options.opt_read_alias) return;
    for (std::string_view line : AliasLines)
        resolve_alias_line(line, commands, path_list, brace_style);
}

int run(int argc, char** argv) {
    const char* path_list = getenv("PATH");
    // An empty argument vector reaches us as argc 0 or, on newer kernels, as one empty argv[0].
    bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
    program_name = named ? argv[0] : "trakko";
    install_out_of_memory_handler();

    if (!parse_command_line(argc, argv)) return 0;
    // The ids serve only the password-database record, that is read only for a home directory
    // while HOME is unset (the prefix below, tilde expansion): with HOME set nothing asks.
    if (getenv("HOME") == nullptr) refresh_ids();
    if (options.opt_show_dot) load_cwd();
    if (options.opt_show_tilde || options.opt_skip_tilde) fill_home_prefix();
    if (options.opt_skip_alias) options.opt_read_alias = 0;
    if (options.opt_skip_functions) options.opt_read_functions = 0;

    size_t command_count = argc > optind ? static_cast<size_t>(argc - optind) : 0;
    if (command_count == 0) {
        write_usage(stderr);
        return 255;
    }
    // Like every text the run keeps, the list lives until the process ends, reachable from here
    // so that leak checkers see it kept: taking it apart on the way out would be work for
    // nothing. The pointer is volatile because a static that nothing reads later is otherwise
    // optimised away, store and all, and the list then reads as "definitely lost".
    static CommandList* volatile kept = nullptr;
    kept = new CommandList(make_command_list(argv + optind, command_count));
    CommandList& commands = *kept;
    if (options.opt_read_alias || options.opt_read_functions)
        read_stdin_definitions(commands, path_list);

    int failures = 0;
    for (const char* command : commands.entries) {
        if (command == nullptr) continue;  // struck by the alias stage
        if (handle_command(command, path_list)) continue;
        report_missing(command, path_list);
        if (failures < max_failure_status) ++failures;
    }
    if (input_changed_while_read()) {
        fprintf(stderr, "%s: standard input changed while it was read\n", program_name);
        return 255;
    }
    return failures;
}
