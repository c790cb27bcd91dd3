// --json: the answers of the run kept as records, one per COMMAND, written out once the run has
// answered every COMMAND (the alias stage answers them in the listing's order, not theirs).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CommandRecord;

// One answer to a name: what kind of thing the shell runs, and what says which.
struct AnswerRecord {
    std::string_view kind;  // "alias", "keyword", "builtin", "function" or "file"
    std::string_view key;   // the member text goes under: "line", "definition", "in_place_of",
                            // "path", or none
    std::string text;
    int entry = 0;                    // a file's 1-based PATH entry; 0 for a name with a slash
    std::vector<CommandRecord> runs;  // an alias: a record per command its value runs
};

// What the shell remembers for the name (--read-hash).
struct RememberedRecord {
    std::string path;
    std::string_view state;  // "current", "not-first", "gone", "not-executable"
    std::string first;       // not-first: the path PATH finds first now, if any
};

// One candidate of --explain: a place looked, and what became of it.
struct CandidateRecord {
    std::string path;
    int entry = 0;
    std::string_view verdict;
    std::string detail;
};

struct CommandRecord {
    std::string name;
    std::vector<AnswerRecord> answers;
    std::optional<RememberedRecord> remembered;
    std::vector<CandidateRecord> candidates;
    bool explained = false;  // --explain: candidates is written, empty or not
};

// The run's records and the one that answers go to: the COMMAND being answered, or the
// command of an alias value being answered inside it.
struct Records {
    std::vector<CommandRecord> commands;
    std::vector<CommandRecord*> open;

    CommandRecord& current() { return *open.back(); }
    void add(std::string_view kind, std::string_view key, std::string_view text, int entry = 0);
    // Opens a record for a command of the value of the alias answered last, or closes it.
    void begin_run(std::string_view name);
    void end_run() { open.pop_back(); }
};

// record as one JSON line, its newline included.
std::string record_line(const CommandRecord& record);
