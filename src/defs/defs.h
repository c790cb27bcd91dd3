// Shell definitions: the (alias; declare -f) listing read from standard input, function display
// and alias resolution.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "search/run_context.h"

// The next input line at pos: up to and including its newline, or the rest of the input.
std::string_view next_line(std::string_view input, size_t pos);

// line up to its first NUL byte, when may_hold_nul says the input has any: the text a C string
// copy of the line would hold.
std::string_view until_nul(std::string_view line, bool may_hold_nul);

// The stored alias lines: the lines of one stretch of the input, less the "declare -" attribute
// lines (and, when functions are read, lines that begin with a NUL byte). Iterating yields each
// line as a view into the input, newline kept; nothing is copied, so that a listing of millions
// of lines costs no memory beyond the input itself.
class AliasLineList {
  public:
    class iterator {
      public:
        std::string_view operator*() const { return line_; }
        iterator& operator++();
        bool operator==(const iterator& other) const { return pos_ == other.pos_; }

      private:
        friend class AliasLineList;
        iterator(const AliasLineList* list, size_t pos);
        void settle();

        const AliasLineList* list_;
        size_t pos_;
        size_t next_;
        std::string_view line_;
    };

    void assign(std::string_view region, bool may_hold_nul, bool drop_empty);
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, region_.size()); }

  private:
    std::string_view region_;
    bool may_hold_nul_ = false;
    bool drop_empty_ = false;
};

// One function of the listing. name and body are views into the stored input; body holds the
// body lines exactly as read, one after another, the closing "}\n" line last when there is one.
struct FunctionDef {
    std::string_view name;
    std::string_view body;
    bool body_holds_nul = false;  // body lines are then shown only up to their first NUL
    uint32_t name_hash = 0;       // name_hash(name), taken while the header line is at hand
};

// The number of body lines of def, counted when asked: nothing on the way to the output needs
// it, and counting every line of a long listing would cost more than reading it.
int body_line_count(const FunctionDef& def);

// The functions in input order, with an index of the first record of each name, built at the
// first lookup: open addressing over a power-of-two count of slots, each holding the name's
// hash in its high half and the record number plus one in its low half (0: an empty slot).
// Flat slots keep a listing of a hundred thousand functions from costing as many allocations.
struct FunctionTable {
    std::vector<FunctionDef> records;
    std::vector<uint64_t> first_by_name;
    int scans = 0;  // lookups answered by a scan of the records while there is no index
};

// The hash a name is filed under in the index of the function table.
uint32_t name_hash(std::string_view name);

// Standard input held whole: a file mapped as it stands, or what was read into a block of
// memory. Owned by the definitions that are views into it.
struct InputBlock {
    char* data = nullptr;
    size_t size = 0;
    bool mapped = false;
    long long mapped_mtime_ns = 0;  // the mapped file's modification time when it was mapped
    int read_error = 0;             // errno of a read that failed: what was read is not all

    InputBlock() = default;
    InputBlock(InputBlock&& other) noexcept;
    InputBlock& operator=(InputBlock&& other) noexcept;
    ~InputBlock();
};

// Standard input when it is a regular file at offset 0, mapped whole, its offset moved to the
// end as if it had been read, and guarded against being truncated while mapped; an empty
// block otherwise.
InputBlock map_standard_input();

// True when the listing was a mapped file that changed while the run used it (its size, its
// modification time, or pages lost to truncation): what was shown from it may not be what the
// file held when it was read.
bool input_changed_while_read(const InputBlock& input);

// Texts keyed by a word, looked up by views without a copy.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using WordOutputs = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;

// The definitions read from standard input, views into the input they own.
struct Definitions {
    AliasLineList AliasLines;
    FunctionTable function_table;
    bool brace_style = false;    // a header of the "name () {" form was read: the form printed
    InputBlock input;            // empty for definitions read from a caller's buffer
    WordOutputs resolved_words;  // what each command word of the alias values printed
    std::string_view facts;      // the leading block of the shell's own facts, when asked for
};

// The COMMAND list: the argument texts in order, a struck entry being null, with an index from
// each text to the positions where it stands.
struct CommandList {
    struct Slots {
        std::vector<size_t> positions;
        size_t first_live = 0;  // positions before this one are known to be struck
    };
    std::vector<const char*> entries;
    std::unordered_map<std::string_view, Slots> slots;
};

// Builds a CommandList of the count texts at argv.
CommandList make_command_list(char** argv, size_t count);

// The position of the first entry equal to text that is not struck, or npos.
size_t first_unstruck(CommandList& commands, std::string_view text);

// Where the block of the shell's own facts that leads input ends (0: there is none). The layer
// that knows those lines hands it to the reader, who keeps the block apart: no line of it is
// an alias line.
using FactsBlockEnd = size_t (*)(std::string_view input);

// Reads standard input to its end and returns the alias lines and functions that options ask
// for, and the leading block of facts that facts_end finds (none when it is null); a read that
// fails leaves its reason in the input's read_error, and no definitions.
Definitions read_definitions(const OptionSet& options, FactsBlockEnd facts_end = nullptr);

// The same over a byte buffer that stays alive for the rest of the run.
Definitions read_definitions_from(std::string_view input, const OptionSet& options,
                                  FactsBlockEnd facts_end = nullptr);

// Appends the shell words of line to text, quotes and escapes removed, one after another, and
// the end of each in text to ends; false when the shell would read the line as more than plain
// words (an operator, an expansion, a pattern, a quote that does not close, a NUL byte).
bool read_shell_words(std::string_view line, std::string& text, std::vector<size_t>& ends);

// The same for a line without a quote, an escape or a byte that read_shell_words refuses: its
// words as views into it. False for any other line, that read_shell_words must read.
bool split_plain_words(std::string_view line, std::vector<std::string_view>& words);

// The first stored function called name, or null.
const FunctionDef* find_function(FunctionTable& table, std::string_view name);

// Prints the first stored function called name (a tab before each line when indent is 1);
// true when one was found.
bool show_function(RunContext& run, Definitions& defs, int indent, std::string_view name);

// The commands of an alias value, walked one first word at a time.
struct CommandWords {
    std::string_view line;
    size_t pos = 0;
    char quote = '\0';  // the quote that opened the value, or NUL
    bool done = false;
};

// Where the alias name of line ends and its value begins.
struct AliasParts {
    std::string_view name;
    CommandWords words;
};
AliasParts split_alias_line(std::string_view line);

// The first word of the next command into word; false when the value has no more commands.
bool next_command_word(CommandWords& words, std::string_view& word);
