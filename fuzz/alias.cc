// Alias resolution: resolve_alias_line of one alias line against a COMMAND list, both from the
// input, with PATH pointing at a small directory tree made at start-up and a fixed function
// listing read. Checked against the documented rules: the alias name and the command words the
// line must give, which COMMAND is struck, and the output, that is the line followed by each
// word's function definition and PATH matches in order, every one of their lines indented. The
// matches come from a model of the search: the colon rule of PATH, "~" and "~/" entries, the
// skip options, the executable test, the full path of a relative match and the dot, tilde and
// plain forms.
//
// Input: one byte of switches (see the Switch bits), the alias line up to the first NUL (cut
// after its first newline; at most 900 bytes, so that no candidate can outgrow the 1024-byte
// result buffer and end the process), then the COMMANDs, each ended by a NUL.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "cli/cli.h"
#include "defs/defs.h"
#include "identity/identity.h"
#include "search/run_context.h"
#include "shell/alias_resolution.h"
#include "util/util.h"

namespace {

enum Switch : uint8_t {
    ALL = 1,
    READ_FUNCTIONS = 2,
    BRACE_STYLE = 4,
    SHOW_DOT = 8,
    SHOW_TILDE = 16,
    SKIP_TILDE = 32,
    SKIP_DOT = 64,
    NO_PATH = 128,
};

constexpr size_t max_line = 900;
constexpr size_t max_commands = 64;

const char function_listing[] = "f () {\n  y\n}\nls ()\n{ \n  :\n}\n";

std::filesystem::path tree;
std::string path_list;
// The run every input is resolved in.
RunContext run;

void make_file(const std::filesystem::path& file, std::filesystem::perms mode) {
    FILE* stream = fopen(file.c_str(), "w");
    CHECK(stream != nullptr);
    fputs("#!/bin/sh\n", stream);
    fclose(stream);
    std::filesystem::permissions(file, mode);
}

void remove_tree() {
    std::error_code ignored;
    std::filesystem::remove_all(tree, ignored);
}

// The function display show_function must give at indent 1.
std::string function_text(std::string_view word, bool brace) {
    std::string header = brace ? " () {\n" : " ()\n";
    if (word == "f") return "\tf" + header + "\t  y\n\t}\n";
    if (word == "ls") return "\tls" + header + "\t{ \n\t  :\n\t}\n";
    return "";
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

size_t skip_blanks(std::string_view text, size_t pos) {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    return pos;
}

struct ModelLine {
    std::string_view name;
    std::vector<std::string_view> words;
};

// The scan as documented, but for one decision of the tool: a newline ends a command word too
// (zsh lists unquoted values such as g=git, and "git\n" could never be found).
ModelLine model_line(std::string_view line) {
    ModelLine model;
    size_t pos = skip_blanks(line, 0);
    if (line.substr(pos).starts_with("alias")) pos = skip_blanks(line, pos + 5);
    size_t end = pos;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '=') ++end;
    model.name = line.substr(pos, end - pos);
    pos = skip_blanks(line, end);
    if (pos < line.size() && line[pos] == '=') pos = skip_blanks(line, pos + 1);
    char quote = '\0';
    if (pos < line.size() && (line[pos] == '"' || line[pos] == '\'')) quote = line[pos++];
    for (;;) {
        pos = skip_blanks(line, pos);
        end = pos;
        while (end < line.size() && !is_blank(line[end]) && line[end] != '&' && line[end] != '|' &&
               line[end] != '\n' && !(quote != '\0' && line[end] == quote))
            ++end;
        model.words.push_back(line.substr(pos, end - pos));
        while (end < line.size() && line[end] != '|' && line[end] != '&') ++end;
        if (end == line.size()) return model;
        char kind = line[end];
        while (end < line.size() && line[end] == kind) ++end;
        pos = end;
    }
}

// Runs action with out pointed at a memory stream; returns what it printed.
template <typename Action>
std::string captured(Action action) {
    char* buffer = nullptr;
    size_t length = 0;
    FILE* stream = open_memstream(&buffer, &length);
    CHECK(stream != nullptr);
    run.out.stream = stream;
    action();
    CHECK(fclose(stream) == 0);
    run.out.stream = stdout;
    std::string text(buffer, length);
    free(buffer);
    return text;
}

std::string cwd_prefix;  // the working directory as getcwd gives it, a '/' after it

// The PATH entries by the colon rule: an empty element stands for ".", and the ':' that ends
// an empty element is stepped over together with the one after it.
std::vector<std::string> model_entries(std::string_view list) {
    std::vector<std::string> entries;
    size_t pos = 0;
    while (pos < list.size()) {
        if (pos > 0 && list[pos] == ':') ++pos;
        if (pos == list.size() || list[pos] == ':') {
            entries.emplace_back(".");
            if (pos < list.size()) ++pos;
            continue;
        }
        size_t end = std::min(list.find(':', pos), list.size());
        entries.emplace_back(list.substr(pos, end - pos));
        pos = end;
    }
    return entries;
}

// The home directory for "~" and "~/..." words; a word of another user is kept from the inputs.
std::string model_expand(const std::string& entry) {
    return tree.string() + entry.substr(1);
}

bool model_executable(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
           faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

// The full path of a match, component by component: "." dropped, ".." taking the component
// before it away, two leading slashes (not three) kept as a root of their own that one ".."
// folds into "/". A ".." above the root leaves the candidate as it was given.
std::string model_normalise(const std::string& candidate) {
    bool absolute = candidate[0] == '/';
    bool double_root = absolute && candidate.starts_with("//") && !candidate.starts_with("///");
    std::string full = absolute ? candidate : cwd_prefix + candidate;
    std::vector<std::string_view> parts;
    std::string_view text = full;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = std::min(text.find('/', pos), text.size());
        std::string_view part = text.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") continue;
        if (part != "..") {
            parts.push_back(part);
        } else if (!parts.empty()) {
            parts.pop_back();
        } else if (double_root) {
            double_root = false;
        } else {
            return candidate;
        }
    }
    std::string result = double_root ? "//" : "/";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result += '/';
        result += parts[i];
    }
    return result;
}

// The tab-indented lines the search of word along path must print.
std::string model_lookup(std::string_view word, const char* path) {
    const OptionSet& options = run.options;
    std::vector<std::string> entries;
    std::string base(word);
    size_t slash = word.rfind('/');
    if (slash != std::string_view::npos) {
        std::string dir(word.substr(0, slash));
        if (word[0] != '.' && word[0] != '/' && word[0] != '~') dir = "./" + dir;
        // "/ls": its directory is the root.
        entries.push_back(dir.empty() ? "/" : dir);
        base = word.substr(slash + 1);
    } else {
        entries = model_entries(path);
    }
    std::string home(run.HomePrefix.text, run.HomePrefix.length);
    std::string text;
    for (std::string entry : entries) {
        if (entry[0] == '~') {
            if (options.opt_skip_tilde) continue;
            entry = model_expand(entry);
        }
        if (options.opt_skip_dot && entry[0] != '/') continue;
        bool via_dot = entry[0] == '.';
        std::string candidate = entry;
        if (!candidate.empty() && candidate.back() != '/') candidate += '/';
        candidate += base;
        if (!model_executable(candidate)) continue;
        std::string result = model_normalise(candidate);
        bool under_home =
            (options.opt_skip_tilde || options.opt_show_tilde) && result.starts_with(home);
        if (options.opt_skip_tilde && under_home) continue;
        if (options.opt_show_dot && via_dot && result.starts_with(cwd_prefix)) {
            text += "\t./" + result.substr(cwd_prefix.size()) + "\n";
        } else if (options.opt_show_tilde && under_home) {
            text += "\t~/" + result.substr(home.size()) + "\n";
        } else {
            text += "\t" + result + "\n";
        }
        if (!options.opt_all) break;
    }
    return text;
}

// What one word must add to the output: its function, then its PATH matches unless the
// function was enough.
std::string expected_for_word(std::string_view word, const char* path, bool brace) {
    std::string text;
    if (run.options.opt_read_functions && word.find('/') == std::string_view::npos)
        text = function_text(word, brace);
    if (!text.empty() && !run.options.opt_all) return text;
    if (path != nullptr && *path != '\0') text += model_lookup(word, path);
    return text;
}

// True for a word whose search would expand "~user" (a user of the fuzz password database):
// the tilde target checks those expansions; here the model knows only "~" and "~/".
bool names_user_home(std::string_view word) {
    if (!word.starts_with("~") || word.find('/') == std::string_view::npos) return false;
    return !word.starts_with("~/");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/trakko-fuzz-alias.XXXXXX";
    CHECK(mkdtemp(pattern) != nullptr);
    tree = pattern;
    atexit(remove_tree);
    using std::filesystem::perms;
    std::filesystem::create_directories(tree / "sub");
    std::filesystem::create_directories(tree / "dir");
    for (const char* name : {"ls", "grep", "wc", "x", "a;b", "sub/y", "sub/ls"})
        make_file(tree / name, perms::owner_all | perms::group_read | perms::others_read);
    make_file(tree / "plain", perms::owner_read | perms::owner_write);
    CHECK(chdir(tree.c_str()) == 0);
    char cwd[4096];
    CHECK(getcwd(cwd, sizeof cwd) != nullptr);
    cwd_prefix = std::string(cwd) + "/";
    setenv("HOME", tree.c_str(), 1);
    fill_prefix(run.HomePrefix, tree.c_str());
    path_list = tree.string() + ":" + tree.string() + "/sub::~/sub:dir";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return -1;
    uint8_t switches = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string line(rest.substr(0, rest.find('\0')));
    if (line.find('\n') != std::string::npos) line.resize(line.find('\n') + 1);
    if (line.size() > max_line) return -1;
    std::vector<std::string> texts;
    for (size_t pos = rest.find('\0'); pos != std::string_view::npos && pos + 1 < rest.size();) {
        size_t end = rest.find('\0', pos + 1);
        if (end == std::string_view::npos) break;
        texts.emplace_back(rest.substr(pos + 1, end - pos - 1));
        pos = end;
    }
    if (texts.size() > max_commands) return -1;

    // Each input is a run of its own, but for the prefixes, that the tree fixes.
    run.options = OptionSet{};
    run.homes = TildeHomes{};
    run.homes.home_variable = getenv("HOME");
    OptionSet& options = run.options;
    options.opt_all = (switches & ALL) != 0;
    options.opt_read_functions = (switches & READ_FUNCTIONS) != 0;
    options.opt_show_dot = (switches & SHOW_DOT) != 0;
    options.opt_show_tilde = (switches & SHOW_TILDE) != 0;
    options.opt_skip_tilde = (switches & SKIP_TILDE) != 0;
    options.opt_skip_dot = (switches & SKIP_DOT) != 0;
    bool brace = (switches & BRACE_STYLE) != 0;
    const char* path = (switches & NO_PATH) != 0 ? nullptr : path_list.c_str();
    run.path_list = path;
    Definitions defs = read_definitions_from(function_listing, options);
    defs.brace_style = brace;

    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    CommandList commands = make_command_list(argv.data(), argv.size());

    ModelLine model = model_line(line);
    AliasParts parts = split_alias_line(line);
    CHECK(parts.name == model.name);
    std::vector<std::string_view> words;
    for (std::string_view word; next_command_word(parts.words, word);) words.push_back(word);
    CHECK(words == model.words);
    for (std::string_view word : words)
        if (names_user_home(word)) return -1;

    size_t matched = texts.size();
    for (size_t i = 0; i < texts.size() && matched == texts.size(); ++i)
        if (texts[i] == model.name) matched = i;

    Failure failure;
    std::string printed =
        captured([&] { failure = resolve_alias_line(run, defs, line, commands); });
    CHECK(!failure);
    if (matched == texts.size()) {
        CHECK(printed.empty());
        for (size_t i = 0; i < texts.size(); ++i) CHECK(commands.entries[i] == argv[i]);
        return 0;
    }

    // The matched COMMAND is struck unless --all, and then only by a word equal to it.
    bool struck = !run.options.opt_all;
    for (std::string_view word : model.words) struck = struck || word == model.name;
    for (size_t i = 0; i < texts.size(); ++i)
        CHECK(commands.entries[i] == (i == matched && struck ? nullptr : argv[i]));

    std::string expected = line;
    for (std::string_view word : model.words) expected += expected_for_word(word, path, brace);
    CHECK(printed == expected);
    return 0;
}
