// The bottom layer: the types every other module shares, the output stream and allocation that
// never fails. Includes nothing of ours.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Every path the run assembles (a prefix, a normalised match) fits in a buffer of this size,
// terminator included.
inline constexpr size_t path_buffer_size = 1024;

// A directory as a prefix ending in '/' (unless it was cut at path_buffer_size - 1 bytes).
struct PathPrefix {
    // Only the first byte is set: zeroing the whole buffer would be a memset on every run.
    PathPrefix() { text[0] = '\0'; }
    char text[path_buffer_size];
    size_t length = 0;  // 0 while not filled
};

// The shell whose rules --shell=NAME asks for; unset without the option.
enum class ShellName : unsigned char { unset, bash, zsh, ksh93, mksh, fish };

// The switches of the command line, after --tty-only and the two --skip-* cancellations.
struct OptionSet {
    bool opt_all = false;             // print every match, show a function and its paths
    bool opt_read_alias = false;      // read alias lines from stdin and resolve matching aliases
    bool opt_skip_alias = false;      // cancels opt_read_alias wherever it stands
    bool opt_read_functions = false;  // read function definitions from stdin and show them
    bool opt_skip_functions = false;  // cancels opt_read_functions wherever it stands
    bool opt_skip_dot = false;        // skip PATH entries that do not begin with '/'
    bool opt_skip_tilde = false;      // skip '~' entries and drop results under the home dir
    bool opt_show_dot = false;        // print "./..." for results found through a dot entry
    bool opt_show_tilde = false;      // print "~/..." for results under the home directory
    bool opt_explain = false;         // say on stderr why each candidate was taken or passed over
    bool opt_check_path = false;      // audit PATH itself before any lookup
    bool opt_read_hash = false;       // read the shell's remembered paths and compare them
    bool opt_skip_hash = false;       // cancels opt_read_hash wherever it stands
    bool opt_read_builtins = false;   // read the shell's builtins and keywords from stdin
    bool opt_skip_builtins = false;   // cancels opt_read_builtins wherever it stands
    ShellName shell = ShellName::unset;  // answer by this shell's rules (bash's when unset)
};

// A condition that ends the run, found by a lower layer and handed up as a value: only the
// driver writes its message and ends the run.
struct Failure {
    enum Kind : unsigned char {
        none,
        no_working_directory,  // a relative match, and no way to name the working directory
        full_path_too_long,    // a normalised match does not fit in path_buffer_size bytes
        standard_input,        // reading the listing failed (error says why)
        input_changed,         // the mapped listing changed while the run used it
    };
    Kind kind = none;
    int error = 0;  // errno of a failed system call, 0 otherwise
    explicit operator bool() const { return kind != none; }
};

// What one lookup found, for the caller's failure line.
// The first executable match of a lookup, as probed and in its plain printed form, and what
// stat said of it.
struct FirstMatch {
    std::string probed;
    std::string printed;
    struct stat status;
};

struct LookupResult {
    bool found = false;           // at least one line was printed
    bool name_has_slash = false;  // the name was not searched along PATH
    std::string slash_dir;        // the directory tried for a name with '/'
    Failure failure;              // the run must end: nothing more was looked at or printed
    // Filled only under --read-hash, for the remembered path to be compared with: the first
    // executable match, also when --skip-tilde drops it; none when there is none.
    std::optional<FirstMatch> first;
};

// The stream that results, definitions and alias lines go to, in the order they are produced,
// and the reason of the first write to it that failed (0 while none has).
struct Output {
    FILE* stream = stdout;
    int first_error = 0;
    std::string* copy = nullptr;  // when set, also receives every byte written
};

// Writes text, or one byte, to output, noting the reason of a first failure.
void put_text(Output& output, std::string_view text);
void put_char(Output& output, char byte);

// Flushes output, noting the reason of a first failure: what goes to standard error next then
// shows after what was written to it.
void flush_output(Output& output);

// argv[0] exactly as received ("trakko" when the argument vector is empty). Global because the
// out-of-memory path, reached from operator new deep inside any module, must name the program.
extern const char* program_name;

// malloc that ends the run with "PROGRAM: Out of memory" (no line end) on failure.
void* alloc_or_die(size_t size);
// realloc that ends the run with "PROGRAM: Out of memory\n" on failure; a null block behaves as
// alloc_or_die, a size of 0 returns realloc's result unchanged.
void* realloc_or_die(void* block, size_t size);
// The out-of-memory end of operator new and of alloc_or_die: "PROGRAM: Out of memory", with a
// line end when line_end, to standard error, standard output flushed, status 255. The one exit
// below the driver: an allocation can fail anywhere, and nothing could carry that up.
[[noreturn]] void out_of_memory(bool line_end = false);
// Makes operator new end the run the way alloc_or_die does instead of throwing.
void install_out_of_memory_handler();

// Portable forms of two calls that not every system has under the same name: an access test
// made with the effective ids (eaccess, or faccessat with AT_EACCESS), and the stream's error
// flag read without taking its lock (ferror_unlocked, or ferror).
int effective_access(const char* path, int mode);
bool stream_failed(FILE* stream);

// Flushes output: the errno of the first write to it that failed (now or earlier), or 0.
int flushed_error(Output& output);
