// The bottom layer: the types every other module shares, the output stream, allocation that
// never fails, and the one way a run ends on a fatal condition. Includes nothing of ours.
#pragma once

#include <cstddef>
#include <cstdio>
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
};

// What one lookup found, for the caller's failure line.
struct LookupResult {
    bool found = false;           // at least one line was printed
    bool name_has_slash = false;  // the name was not searched along PATH
    std::string slash_dir;        // the directory tried for a name with '/'
    // Filled only under --read-hash, for the remembered path to be compared with: the first
    // executable match as probed and in its plain printed form, also when --skip-tilde drops
    // it; both empty when there is none.
    std::string first_probed;
    std::string first_match;
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

// Whether a fatal message starts with "PROGRAM: ".
enum class Prefix : bool { none, program };

// Ends the run with status 255: writes the message (the prefix, text and, when error is not 0,
// ": " and the system's text for it with a line end) to standard error, then flushes standard
// output. Every fatal condition ends here.
[[noreturn]] void fatal(Prefix prefix, std::string_view text, int error = 0);

// malloc that ends the run with "PROGRAM: Out of memory" (no line end) on failure.
void* alloc_or_die(size_t size);
// realloc that ends the run with "PROGRAM: Out of memory\n" on failure; a null block behaves as
// alloc_or_die, a size of 0 returns realloc's result unchanged.
void* realloc_or_die(void* block, size_t size);
// The out-of-memory end of operator new and of alloc_or_die.
[[noreturn]] void out_of_memory();
// Makes operator new end the run the way alloc_or_die does instead of throwing.
void install_out_of_memory_handler();

// Portable forms of two calls that not every system has under the same name: an access test
// made with the effective ids (eaccess, or faccessat with AT_EACCESS), and the stream's error
// flag read without taking its lock (ferror_unlocked, or ferror).
int effective_access(const char* path, int mode);
bool stream_failed(FILE* stream);

// text with the bytes that would move a terminal's cursor or change its state made visible:
// `\xhh` (two lower-case hex digits) for a byte below 0x20, for 0x7f and for each byte of a
// C1 control in UTF-8 (0xc2 0x80 to 0xc2 0x9f), and `\\` for a backslash, so that the
// escaped form reads back unambiguously.
std::string escape_controls(std::string_view text);

// Flushes the output and returns status; a failed write (now or earlier) instead ends the
// process with "PROGRAM: write error: REASON\n" and 255, so lost output never reads as success.
int flushed_status(Output& output, int status);
