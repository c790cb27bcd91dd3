#include <cstring>

#include "search/search.h"
#include "tilde/tilde.h"

// Relative names get "./" in front unless they begin with '.', '/' or '~'.
std::string slash_dir_of(const char* name) {
    std::string dir = name[0] == '.' || name[0] == '/' || name[0] == '~' ? std::string(name)
                                                                         : std::string("./") + name;
    dir.resize(dir.rfind('/'));
    // "/ls" has an empty directory part; it names the root directory.
    if (dir.empty()) dir = "/";
    return dir;
}

EntrySkip prepare_entry(RunContext& run, std::string& entry) {
    const OptionSet& options = run.options;
    if (entry[0] == '~') {
        if (options.opt_skip_tilde) return EntrySkip::tilde;
        entry = expand_tildes(entry, run.homes);
    }
    // --skip-dot looks at the expanded text and skips every relative entry, not only "./...".
    if (options.opt_skip_dot && (entry.empty() || entry[0] != '/')) return EntrySkip::dot;
    return EntrySkip::none;
}

namespace {

// Probes entry/base_name and prints it when it matches; true when a line was printed. The
// candidate's storage is the caller's, kept from one entry to the next.
bool try_entry(RunContext& run, int indent, std::string& entry, std::string_view base_name,
               std::string& candidate, LookupResult& result) {
    if (prepare_entry(run, entry) != EntrySkip::none) return false;
    join_dir_name(entry, base_name, candidate);
    ProbeBits bits = probe_file(candidate.c_str());
    if (!(bits & PROBE_EXISTS) || !(bits & PROBE_EXEC)) return false;
    Match match;
    match.via_dot_entry = !entry.empty() && entry[0] == '.';
    build_full_path(run, candidate.c_str(), match);
    if (run.options.opt_read_hash) keep_first_match(result, candidate, match);
    return show_result(run, match, indent);
}

}  // namespace

LookupResult lookup_command(RunContext& run, int indent, const char* name) {
    if (run.options.opt_explain) return explain_lookup(run, indent, name);
    LookupResult result;
    std::string entry, candidate;
    if (contains_slash(name)) {
        result.name_has_slash = true;
        result.slash_dir = slash_dir_of(name);
        entry = result.slash_dir;
        result.found = try_entry(run, indent, entry, strrchr(name, '/') + 1, candidate, result);
        return result;
    }
    size_t entry_pos = 0;
    while (next_path_entry(run.path_list, entry_pos, entry)) {
        if (!try_entry(run, indent, entry, name, candidate, result)) continue;
        result.found = true;
        if (!run.options.opt_all) break;
    }
    return result;
}
