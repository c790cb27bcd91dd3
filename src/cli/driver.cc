#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "audit/audit.h"
#include "cli/cli.h"
#include "defs/defs.h"
#include "identity/identity.h"
#include "search/cwd.h"
#include "search/explain.h"
#include "search/run_context.h"
#include "shell/alias_resolution.h"
#include "shell/answer.h"
#include "shell/facts.h"
#include "util/records.h"
#include "util/report.h"

namespace {

// Statuses above 254 would wrap (256 failures reading as success) or collide with the 255 of
// usage errors and fatal conditions.
constexpr int max_failure_status = 254;

void fill_home_prefix(RunContext& run) {
    const char* home = run.homes.home_variable;
    if (home != nullptr) {
        fill_prefix(run.HomePrefix, home);
        return;
    }
    run.homes.own = user_home();
    fill_prefix(run.HomePrefix, run.homes.own->c_str());
}

void warn_if_stdin_is_tty(const OptionSet& options) {
    if (!isatty(0)) return;
    std::string which = !options.opt_read_functions
                            ? options.opt_read_alias ? "--read-alias, -i" : ""
                        : options.opt_read_alias ? "--read-functions, --read-alias, -i"
                                                 : "--read-functions";
    if (options.opt_read_hash) which += which.empty() ? "--read-hash" : ", --read-hash";
    if (options.opt_read_builtins) which += which.empty() ? "--read-builtins" : ", --read-builtins";
    write_message(which + ": Warning: stdin is a tty.\n");
}

// Answers one COMMAND (a missing one reported), into its record under --json; true when
// something was printed.
bool handle_command(RunContext& run, Definitions& defs, const char* command, size_t position) {
    if (run.records != nullptr) run.records->open.push_back(&run.records->commands[position]);
    Answer answer = answer_name(run, defs, {command, 0});
    if (run.records != nullptr) run.records->end_run();
    if (answer.lookup.failure) fatal(answer.lookup.failure);
    return answer.found();
}

bool reads_facts(const OptionSet& options) {
    return options.opt_read_hash || options.opt_read_builtins;
}

// Whether standard input is read: for the definitions of COMMANDs, for the shell's facts about
// COMMANDs, and for the remembered paths and the state of the shell that the audit reports.
bool reads_listing(const OptionSet& options, bool has_commands) {
    bool definitions = options.opt_read_alias || options.opt_read_functions;
    return (has_commands && (definitions || reads_facts(options))) ||
           (reads_facts(options) && options.opt_check_path);
}

// Without a COMMAND only the shell's facts are of use.
void read_listing(RunContext& run, Definitions& defs, std::optional<ShellFacts>& facts,
                  bool has_commands) {
    OptionSet reading = run.options;
    if (!has_commands) reading.opt_read_alias = reading.opt_read_functions = false;
    warn_if_stdin_is_tty(reading);
    defs = read_definitions(reading, reads_facts(reading) ? facts_block_end : nullptr);
    if (defs.input.read_error != 0) fatal({Failure::standard_input, defs.input.read_error});
    if (!reads_facts(reading)) return;
    run.shell_facts = &facts.emplace(read_shell_facts(defs.facts, reading));
    run.path_tildes = path_tildes_of(run.options, run.shell_facts);
}

// The start-up of the run: the options, then the prefixes they need. False when --help or
// --version ended the run.
bool prepare(RunContext& run, int argc, char** argv, int& first_command, int& status) {
    CommandLine line = parse_command_line(argc, argv);
    status = line.status;
    if (!line.run_on) return false;
    run.options = line.options;
    first_command = line.first_command;
    if (run.options.opt_show_dot && working_directory(run) == nullptr)
        fatal({Failure::no_working_directory});
    if (run.options.opt_show_tilde || run.options.opt_skip_tilde) fill_home_prefix(run);
    if (run.options.opt_skip_alias) run.options.opt_read_alias = false;
    if (run.options.opt_skip_functions) run.options.opt_read_functions = false;
    if (run.options.opt_skip_hash) run.options.opt_read_hash = false;
    if (run.options.opt_skip_builtins) run.options.opt_read_builtins = false;
    return true;
}

// The status of a run that got this far, once the output is out. A mapped listing that changed
// under the run, or that the kernel could no longer read for a write (EFAULT), makes what was
// shown from it untrustworthy, whatever was printed.
int finish(RunContext& run, const Definitions& defs, int failures) {
    if (input_changed_while_read(defs.input) ||
        (defs.input.mapped && run.out.first_error == EFAULT))
        fatal({Failure::input_changed});
    return flushed_status(run.out, failures);
}

}  // namespace

void fill_prefix(PathPrefix& prefix, const char* source) {
    size_t length = strnlen(source, sizeof prefix.text - 1);
    memcpy(prefix.text, source, length);
    prefix.text[length] = '\0';
    prefix.length = length;
    if (length == 0) {
        strcpy(prefix.text, "/");
        prefix.length = 1;
    } else if (prefix.text[length - 1] != '/' && length < sizeof prefix.text - 1) {
        // At path_buffer_size - 1 bytes there is no room left for the '/', and the text stays.
        prefix.text[length] = '/';
        prefix.text[length + 1] = '\0';
        prefix.length = length + 1;
    }
}

int driver_main(int argc, char** argv) {
    RunContext run;
    run.path_list = getenv("PATH");
    run.homes.home_variable = getenv("HOME");
    // An empty argument vector reaches us as argc 0 or, on newer kernels, as one empty argv[0];
    // getopt_long's own diagnostics then name the program as every other message does.
    bool named = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0';
    program_name = named ? argv[0] : "trakko";
    std::vector<char*> renamed;
    if (argc > 0 && !named) {
        renamed.assign(argv, argv + argc);
        renamed[0] = const_cast<char*>(program_name);
        argv = renamed.data();
    }
    install_out_of_memory_handler();
    int first_command = 1, status = 0;
    if (!prepare(run, argc, argv, first_command, status)) return flushed_status(run.out, status);
    // Built only when asked for: a plain lookup does not even construct its tables.
    std::optional<Explanation> explanation;
    if (run.options.opt_explain) run.explanation = &explanation.emplace();
    bool has_commands = argc > first_command;
    // The remembered paths are audited with PATH, and the shell's state says how PATH reads:
    // with them the listing comes first.
    Definitions defs;
    std::optional<ShellFacts> facts;
    run.path_tildes = path_tildes_of(run.options, nullptr);
    bool read_early = reads_facts(run.options) && reads_listing(run.options, has_commands);
    if (read_early) read_listing(run, defs, facts, has_commands);
    // The audit counts towards the status like a missing COMMAND; on its own it is the run.
    int failures = run.options.opt_check_path ? check_path(run) : 0;
    if (!has_commands) {
        if (run.options.opt_check_path) return finish(run, defs, failures);
        write_usage(stderr);
        return flushed_status(run.out, 255);
    }
    auto count = static_cast<size_t>(argc - first_command);
    CommandList commands = make_command_list(argv + first_command, count);
    std::optional<Records> records;
    if (run.options.opt_json) {
        run.records = &records.emplace();
        for (const char* command : commands.entries)
            run.records->commands.emplace_back().name = command;
    }
    if (!read_early && reads_listing(run.options, true)) read_listing(run, defs, facts, true);
    if (run.options.opt_read_alias)
        if (Failure failure = resolve_aliases(run, defs, commands)) fatal(failure);
    for (size_t position = 0; position < count; ++position) {
        const char* command = commands.entries[position];
        if (command == nullptr) continue;  // struck by the alias stage
        if (!handle_command(run, defs, command, position) && failures < max_failure_status)
            ++failures;
    }
    if (run.records != nullptr)
        for (const CommandRecord& record : run.records->commands)
            put_text(run.out, record_line(record));
    return finish(run, defs, failures);
}
