// The whole run: driver_main with arguments, PATH, HOME, PWD and a listing on standard input,
// all from the input, in a small directory tree made at start-up that is also the working
// directory. Standard output and standard error go to files that are read back after the run,
// and the result is checked against what any run must give:
//   - --help or --version before any COMMAND: status 0, the usage text or the banner, nothing
//     on standard error;
//   - no COMMAND: status 255, nothing on standard output, the usage text on standard error;
//   - otherwise standard error is a run of failure lines "trakko: no NAME in (LIST)", at most
//     one per COMMAND and in COMMAND order, with NAME and LIST as the COMMAND gives them, and
//     the status is their number capped at 254;
//   - when no definitions are read, every standard output line is one match: a full path that
//     names an executable file, "./" under --show-dot, or a path kept relative because it
//     climbs above the root; one line per COMMAND found, or more under --all; no line at all
//     when PATH is unset or empty;
//   - when definitions are read (from a listing of whole lines without NUL bytes), every output
//     line is such a match, a line of the listing or a function header, a tab before any.
//
// A fatal condition ends the process, and libFuzzer would take it for a failure: the lengths
// are capped so that no candidate can reach the 1024-byte buffer, the working directory always
// exists, and the listing is never changed while it is read. The command-line tests cover those
// ends instead. getopt_long's own diagnostics are turned off (opterr), so that standard error
// holds only what the tool writes.
//
// Input: byte 0 holds switches (see Switch), byte 1 the number of arguments after argv[0]
// (modulo 25); then PATH, HOME, PWD and each argument, each ended by a NUL; the rest is the
// listing on standard input.

#include <fcntl.h>
#include <getopt.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "util/util.h"

namespace {

enum Switch : uint8_t {
    NO_PATH = 1,
    NO_HOME = 2,
    NO_PWD = 4,
    STDIN_PIPE = 8,  // standard input is a pipe (when the listing fits in it), else a file
};

constexpr size_t max_arguments = 24;
// Entry, home and name together stay far below 1024 bytes with the tree's path in front.
constexpr size_t max_entry = 300;
constexpr size_t max_home = 200;
constexpr size_t max_pwd = 200;
constexpr size_t max_name = 300;
constexpr size_t max_listing_line = 300;
constexpr int max_status = 254;

std::string tree;        // the working directory, as getcwd gives it
std::string usage_text;  // write_usage's text with the program name "trakko"
std::string version_text;
int saved_fd[3] = {-1, -1, -1};
bool show_runs = false;  // TRAKKO_FUZZ_SHOW set: each run's status and output to stderr
int out_file = -1, err_file = -1, in_file = -1;

// The descriptors of libFuzzer's own run, back in place: before a check's report, so that it
// is seen, and after every input.
void restore_descriptors() {
    fflush(stdout);
    for (int fd = 0; fd < 3; ++fd) dup2(saved_fd[fd], fd);
}

#define CHECK(condition)                                                                  \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            restore_descriptors();                                                        \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                      \
        }                                                                                 \
    } while (0)

void remove_tree() {
    std::error_code ignored;
    std::filesystem::remove_all(tree, ignored);
}

void make_file(const std::string& file, mode_t mode) {
    FILE* stream = fopen(file.c_str(), "w");
    CHECK(stream != nullptr);
    fputs("#!/bin/sh\n", stream);
    fclose(stream);
    CHECK(chmod(file.c_str(), mode) == 0);
}

int temp_file() {
    char pattern[] = "/tmp/trakko-fuzz-driver-io.XXXXXX";
    int fd = mkstemp(pattern);
    CHECK(fd >= 0);
    unlink(pattern);
    return fd;
}

void reset_file(int fd) {
    CHECK(ftruncate(fd, 0) == 0);
    CHECK(lseek(fd, 0, SEEK_SET) == 0);
}

std::string read_back(int fd) {
    std::string text;
    CHECK(lseek(fd, 0, SEEK_SET) == 0);
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    return text;
}

// What libFuzzer's run would print while fd 1 is a file: a capture of action's standard output.
template <typename Action>
std::string captured_stdout(Action action) {
    fflush(stdout);
    reset_file(out_file);
    dup2(out_file, 1);
    action();
    fflush(stdout);
    dup2(saved_fd[1], 1);
    return read_back(out_file);
}

// How getopt_long, permuting, sees the arguments of one run.
struct Parse {
    enum class End { none, help, version } end = End::none;
    std::vector<std::string> operands;
    bool all = false, read_alias = false, read_functions = false, show_dot = false;
    bool show_tilde = false;
    bool check_path = false;
    bool read_hash = false;
    std::vector<size_t> explain_args;  // the arguments that turn --explain on
};

// The long options, and which of the model's flags each sets; --tty-only cuts the four
// display and skip options off to its right, standard output being a file here.
Parse parse_arguments(const std::vector<std::string>& args) {
    static const char* const long_names[] = {
        "help",     "version",    "skip-dot",   "skip-tilde", "show-dot",       "show-tilde",
        "tty-only", "all",        "read-alias", "skip-alias", "read-functions", "skip-functions",
        "explain",  "check-path", "read-hash",  "skip-hash",
    };
    Parse parse;
    bool cutoff = false, skip_alias = false, skip_functions = false, skip_hash = false;
    bool options_over = false;
    for (size_t index = 0; index < args.size(); ++index) {
        const std::string& arg = args[index];
        if (options_over || arg.size() < 2 || arg[0] != '-') {
            parse.operands.push_back(arg);
            continue;
        }
        if (parse.end != Parse::End::none) continue;
        if (arg == "--") {
            options_over = true;
            continue;
        }
        if (arg[1] != '-') {
            for (size_t i = 1; i < arg.size() && parse.end == Parse::End::none; ++i) {
                if (arg[i] == 'a') parse.all = true;
                if (arg[i] == 'i') parse.read_alias = true;
                if (arg[i] == 'v' || arg[i] == 'V') parse.end = Parse::End::version;
            }
            continue;
        }
        std::string_view body = std::string_view(arg).substr(2);
        bool has_value = body.find('=') != std::string_view::npos;
        std::string_view name = body.substr(0, body.find('='));
        std::string_view chosen;
        int prefixes = 0;
        for (const char* candidate : long_names) {
            if (name == candidate) {
                chosen = candidate;
                prefixes = 1;
                break;
            }
            if (std::string_view(candidate).starts_with(name)) {
                chosen = candidate;
                ++prefixes;
            }
        }
        if (prefixes != 1 || has_value) continue;  // unknown, ambiguous or given a value
        bool on = !cutoff;
        if (chosen == "help") parse.end = Parse::End::help;
        if (chosen == "version") parse.end = Parse::End::version;
        if (chosen == "show-dot") parse.show_dot = on;
        // Never the tilde form for root.
        if (chosen == "show-tilde") parse.show_tilde = on && geteuid() != 0;
        if (chosen == "tty-only") cutoff = true;
        if (chosen == "all") parse.all = true;
        if (chosen == "read-alias") parse.read_alias = true;
        if (chosen == "skip-alias") skip_alias = true;
        if (chosen == "read-functions") parse.read_functions = true;
        if (chosen == "skip-functions") skip_functions = true;
        if (chosen == "explain") parse.explain_args.push_back(index);
        if (chosen == "check-path") parse.check_path = true;
        if (chosen == "read-hash") parse.read_hash = true;
        if (chosen == "skip-hash") skip_hash = true;
    }
    parse.read_alias = parse.read_alias && !skip_alias;
    parse.read_functions = parse.read_functions && !skip_functions;
    parse.read_hash = parse.read_hash && !skip_hash;
    return parse;
}

// --read-hash adds a line about the path the shell remembers for a name after that name's own
// lines on standard error, and nothing else there: without them, what is left must read as
// without the option.
std::string without_remembered_lines(const std::string& err) {
    std::string kept;
    for (size_t pos = 0; pos < err.size();) {
        size_t end = err.find('\n', pos);
        end = end == std::string::npos ? err.size() : end + 1;
        std::string_view line(err.data() + pos, end - pos);
        if (!line.starts_with("trakko: ") || !line.ends_with(" (hash -r forgets it)\n") ||
            line.find(": the shell remembers ") == std::string_view::npos)
            kept.append(line);
        pos = end;
    }
    return kept;
}

// The failure lines a COMMAND may give: the name and the list as documented. "/ls" has an
// empty directory part, that the line may show as it is or as the root that was tried.
std::vector<std::string> failure_lines(const std::string& command, const char* path) {
    bool searched = path != nullptr && *path != '\0';
    size_t slash = command.rfind('/');
    if (!searched || slash == std::string::npos)
        return {"trakko: no " + command + " in (" + (path != nullptr ? path : "") + ")\n"};
    std::string base = command.substr(slash + 1);
    std::string dir = command.substr(0, slash);
    if (command[0] != '.' && command[0] != '/' && command[0] != '~') dir = "./" + dir;
    std::vector<std::string> lines = {"trakko: no " + base + " in (" + dir + ")\n"};
    if (dir.empty()) lines.push_back("trakko: no " + base + " in (/)\n");
    return lines;
}

// The numbers of failure lines that standard error can be read as: a run of lines, at most one
// per COMMAND in order. Empty when it cannot be read so.
std::set<size_t> failure_counts(const std::string& err, const std::vector<std::string>& commands,
                                const char* path) {
    std::set<std::pair<size_t, size_t>> states = {{0, 0}};  // (position, lines read)
    for (const std::string& command : commands) {
        std::set<std::pair<size_t, size_t>> next = states;
        std::vector<std::string> lines = failure_lines(command, path);
        for (auto [pos, count] : states)
            for (const std::string& line : lines)
                if (err.compare(pos, line.size(), line) == 0)
                    next.insert({pos + line.size(), count + 1});
        states = std::move(next);
    }
    std::set<size_t> counts;
    for (auto [pos, count] : states)
        if (pos == err.size()) counts.insert(count);
    return counts;
}

bool names_executable(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
           faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

// True when the relative path climbs above the root from the working directory: the one case
// where a match stays relative.
bool climbs_above_root(std::string_view path) {
    int depth = 0;
    for (size_t pos = 1; pos < tree.size(); ++pos) depth += tree[pos] == '/' ? 1 : 0;
    ++depth;  // the tree's own name
    for (size_t pos = 0; pos <= path.size();) {
        size_t end = std::min(path.find('/', pos), path.size());
        std::string_view part = path.substr(pos, end - pos);
        if (part == "..") {
            if (--depth < 0) return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        pos = end + 1;
    }
    return false;
}

// One line of a lookup: its path must name an executable file (checked inside the tree only,
// where no link leads the lexical walk astray).
bool is_match_line(std::string_view line, const Parse& parse) {
    std::string path;
    if (parse.show_tilde && line.starts_with("~/")) return true;
    if (line.starts_with("/")) {
        path = line;
    } else if (parse.show_dot && line.starts_with("./")) {
        path = tree + "/" + std::string(line.substr(2));
    } else {
        return climbs_above_root(line) && names_executable(std::string(line));
    }
    if (path.starts_with(tree + "/") && path.find("/.") == std::string::npos &&
        path.find("//") == std::string::npos)
        return names_executable(path);
    return true;
}

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

void check_output(const std::string& out, const Parse& parse, std::string_view listing,
                  size_t failures, const char* path) {
    bool reads = parse.read_alias || parse.read_functions;
    std::vector<std::string_view> lines = lines_of(out);
    CHECK(out.empty() || out.back() == '\n' || reads);
    if (!reads) {
        for (std::string_view line : lines) CHECK(is_match_line(line, parse));
        size_t found = parse.operands.size() - failures;
        CHECK(parse.all ? lines.size() >= found : lines.size() == found);
        if (path == nullptr || *path == '\0') CHECK(lines.empty());
        return;
    }
    // Lines cut at a NUL, or a last line without a newline, join what follows: nothing to
    // check line by line then.
    if (memchr(listing.data(), '\0', listing.size()) != nullptr ||
        (!listing.empty() && listing.back() != '\n'))
        return;
    std::set<std::string_view> listed;
    for (std::string_view line : lines_of(listing)) listed.insert(line);
    for (std::string_view line : lines) {
        std::string_view bare = line.starts_with("\t") ? line.substr(1) : line;
        bool header = bare.ends_with(" ()") || bare.ends_with(" () {");
        CHECK(listed.contains(line) || listed.contains(bare) || header ||
              is_match_line(bare, parse));
    }
}

}  // namespace

// What one run of the program printed and returned.
struct RunOutcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the whole program in-process on args, with listing on standard input: a pipe that holds
// the whole listing, or a file at offset 0.
RunOutcome run_once(const std::vector<std::string>& args, std::string_view listing, bool pipe_it) {
    int pipe_fds[2];
    bool piped = pipe_it && listing.size() <= 65536 && pipe(pipe_fds) == 0;
    if (piped && fcntl(pipe_fds[1], F_GETPIPE_SZ) < static_cast<int>(listing.size())) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        piped = false;
    }
    if (piped) {
        CHECK(write(pipe_fds[1], listing.data(), listing.size()) ==
              static_cast<ssize_t>(listing.size()));
        close(pipe_fds[1]);
        dup2(pipe_fds[0], 0);
        close(pipe_fds[0]);
    } else {
        reset_file(in_file);
        CHECK(write(in_file, listing.data(), listing.size()) ==
              static_cast<ssize_t>(listing.size()));
        CHECK(lseek(in_file, 0, SEEK_SET) == 0);
        dup2(in_file, 0);
    }

    std::vector<std::string> argv_texts = {"trakko"};
    argv_texts.insert(argv_texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argv_texts) argv.push_back(text.data());
    argv.push_back(nullptr);

    fflush(stdout);
    reset_file(out_file);
    reset_file(err_file);
    dup2(out_file, 1);
    dup2(err_file, 2);
    optind = 0;  // glibc's getopt_long starts afresh
    int status = driver_main(static_cast<int>(argv.size() - 1), argv.data());
    restore_descriptors();
    return {status, read_back(out_file), read_back(err_file)};
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/trakko-fuzz-driver.XXXXXX";
    CHECK(mkdtemp(pattern) != nullptr);
    CHECK(chdir(pattern) == 0);
    char cwd[4096];
    CHECK(getcwd(cwd, sizeof cwd) != nullptr);
    tree = cwd;
    atexit(remove_tree);
    // Executables at two depths and under a linked directory, a file nobody may execute, a
    // directory named like a command, and links to a file and to a directory. No name holds a
    // blank (a tilde word inside an entry then never names a file), and no link leads upwards
    // (no path of a match can grow without end).
    for (const char* dir : {"bin", "bin/sub", "ls.d", "dir"}) CHECK(mkdir(dir, 0755) == 0);
    for (const char* name : {"ls", "x", "bin/ls", "bin/y", "bin/sub/y", "dir/z", ".hidden"})
        make_file(name, 0755);
    make_file("plain", 0644);
    make_file("bin/plain", 0644);
    CHECK(symlink("x", "bin/x-link") == 0);
    CHECK(symlink("bin", "bin-link") == 0);
    CHECK(symlink("nowhere", "dangling") == 0);
    CHECK(mkdir("bin/dir-named", 0755) == 0);

    for (int fd = 0; fd < 3; ++fd) saved_fd[fd] = dup(fd);
    out_file = temp_file();
    err_file = temp_file();
    in_file = temp_file();
    // Sanitizer reports go where libFuzzer's output goes, not into the captured stderr.
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(saved_fd[2])));

    program_name = "trakko";
    usage_text = captured_stdout([] { write_usage(stdout); });
    version_text = captured_stdout([] { write_version(); });
    CHECK(usage_text.starts_with("Usage: trakko "));
    show_runs = getenv("TRAKKO_FUZZ_SHOW") != nullptr;
    // Nothing of the caller's environment reaches the runs.
    clearenv();
    opterr = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return -1;
    uint8_t switches = data[0];
    size_t count = data[1] % (max_arguments + 1);
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    std::vector<std::string> fields;
    size_t pos = 0;
    for (size_t i = 0; i < 3 + count; ++i) {
        size_t end = rest.find('\0', pos);
        if (end == std::string_view::npos) return -1;
        fields.emplace_back(rest.substr(pos, end - pos));
        pos = end + 1;
    }
    std::string_view listing = rest.substr(pos);
    const std::string& path = fields[0];
    const std::string& home = fields[1];
    const std::string& pwd = fields[2];
    std::vector<std::string> args(fields.begin() + 3, fields.end());
    // The caps that keep every candidate below the result buffer.
    for (size_t start = 0, end; start <= path.size(); start = end + 1) {
        end = std::min(path.find(':', start), path.size());
        if (end - start > max_entry) return -1;
    }
    if (home.size() > max_home || pwd.size() > max_pwd) return -1;
    for (const std::string& arg : args)
        if (arg.size() > max_name) return -1;
    for (std::string_view line : lines_of(listing))
        if (line.size() > max_listing_line) return -1;

    if (switches & NO_PATH) {
        unsetenv("PATH");
    } else {
        setenv("PATH", path.c_str(), 1);
    }
    if (switches & NO_HOME) {
        unsetenv("HOME");
    } else {
        setenv("HOME", home.c_str(), 1);
    }
    if (switches & NO_PWD) {
        unsetenv("PWD");
    } else {
        setenv("PWD", pwd.c_str(), 1);
    }
    const char* path_value = getenv("PATH");

    Parse parse = parse_arguments(args);
    // The audit writes to standard output and counts towards the status: the command-line tests
    // pin it; here it would only blur what the model can check.
    if (parse.check_path) return -1;
    bool piped = (switches & STDIN_PIPE) != 0;
    auto [status, out, err] = run_once(args, listing, piped);
    // --explain only adds lines on standard error: without it, output and status must be the
    // same, and the rest of the checks look at that run.
    if (!parse.explain_args.empty()) {
        std::vector<std::string> plain;
        for (size_t i = 0; i < args.size(); ++i)
            if (std::find(parse.explain_args.begin(), parse.explain_args.end(), i) ==
                parse.explain_args.end())
                plain.push_back(args[i]);
        auto [plain_status, plain_out, plain_err] = run_once(plain, listing, piped);
        CHECK(plain_status == status);
        CHECK(plain_out == out);
        err = plain_err;
    }

    if (parse.read_hash) err = without_remembered_lines(err);
    if (show_runs)
        fprintf(stderr, "status %d\n-- stdout:\n%s-- stderr:\n%s--\n", status, out.c_str(),
                err.c_str());
    if (parse.end != Parse::End::none) {
        CHECK(status == 0);
        CHECK(err.empty());
        CHECK(out == (parse.end == Parse::End::help ? usage_text : version_text));
        return 0;
    }
    if (parse.operands.empty()) {
        CHECK(status == 255);
        CHECK(out.empty());
        CHECK(err == usage_text);
        return 0;
    }
    std::set<size_t> counts = failure_counts(err, parse.operands, path_value);
    CHECK(!counts.empty());
    // Every reading of the lines must agree with the status; with several (names that read
    // alike), the output check takes the one the status names.
    size_t failures = *counts.begin();
    for (size_t n : counts)
        if (std::min<size_t>(n, max_status) == static_cast<size_t>(status)) failures = n;
    CHECK(static_cast<size_t>(status) == std::min<size_t>(failures, max_status));
    if (!parse.read_alias && !parse.read_functions && (path_value == nullptr || !*path_value))
        CHECK(failures == parse.operands.size());
    check_output(out, parse, listing, failures, path_value);
    return 0;
}
