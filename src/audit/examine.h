// Inside the audit: what one entry's directory is, worked out from the kernel-style walk to it,
// and the run's tables that let every directory be looked at once.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fsfacts/walk.h"
#include "identity/identity.h"
#include "search/run_context.h"

// What one entry's text leads to, worked out once for every entry with that text.
struct Examination {
    // "missing", "not a directory", "not searchable: ...", "symbolic link loop", or empty
    std::string state;
    bool noexec = false;  // a directory on a file system mounted noexec
    bool is_dir = false;
    dev_t dev = 0;
    ino_t ino = 0;
    std::vector<std::string> writable;       // the "writable by ..." findings of one directory
    std::string foreign;                     // the "owned by another user" finding of a directory
    std::vector<std::string> foreign_links;  // that of each link on the way, nearest first
};

struct DirId {
    dev_t dev;
    ino_t ino;
    bool operator==(const DirId& other) const { return dev == other.dev && ino == other.ino; }
};

struct DirIdHash {
    size_t operator()(const DirId& id) const {
        return std::hash<dev_t>()(id.dev) * 31 + std::hash<ino_t>()(id.ino);
    }
};

struct Audit {
    explicit Audit(RunContext& context) : run(context) {}
    RunContext& run;
    uid_t euid = geteuid();
    IdNames names;
    FileFacts facts;  // every path looked at, once
    std::unordered_map<std::string, std::vector<std::string>> writers;  // findings, by dir
    std::unordered_map<std::string, Examination> examinations;  // by text after tilde expansion
    std::unordered_map<std::string, size_t> first_by_text;      // the first entry of each text
    std::unordered_map<DirId, size_t, DirIdHash> first_by_dir;  // the first entry of each dir
};

// Examines the directory that text (an entry after tilde expansion; "" for the working
// directory) names, and every directory and link on the way to it.
Examination examine(Audit& audit, const std::string& text);

// Writes one line of the audit. Entries, names and link targets are text that another user may
// have chosen: each line stays one line that says only what trakko says.
void write_audit_line(Output& out, std::string_view line);

// --read-hash: a line "hash: NAME: FINDING" for each remembered path that is stale; returns
// their number.
int audit_remembered(RunContext& run);
