#include <cstring>

#include "search/search.h"
#include "tilde/tilde.h"

int name_has_slash = 0;
std::string slash_dir;
int via_dot_entry = 0;

// The directory part of a name with a '/': relative names get "./" in front unless they begin
// with '.', '/' or '~'. Returns the base name's offset in name.
static size_t split_slash_name(const char* name) {
    if (name[0] == '.' || name[0] == '/' || name[0] == '~')
        slash_dir = name;
    else
        slash_dir = std::string("./") + name;
    size_t cut = slash_dir.rfind('/');
    slash_dir.resize(cut);
    // "/ls" has an empty directory part; it names the root directory.
    if (slash_dir.empty()) slash_dir = "/";
    return strrchr(name, '/') + 1 - name;
}

// Expands and filters one entry; false when the entry is skipped.
static bool prepare_entry(std::string& entry) {
    if (entry[0] == '~') {
        if (options.opt_skip_tilde) return false;
        entry = expand_tildes(entry);
    }
    // --skip-dot looks at the expanded text and skips every relative entry, not only "./...".
    if (options.opt_skip_dot && (entry.empty() || entry[0] != '/')) return false;
    via_dot_entry = !entry.empty() && entry[0] == '.';
    return true;
}

// Probes entry/base_name and prints it when it matches; true when a line was printed. The
// candidate's storage is the caller's, kept from one entry to the next.
static bool try_entry(int indent, std::string& entry, std::string_view base_name,
                      std::string& candidate) {
    if (!prepare_entry(entry)) return false;
    join_dir_name(entry, base_name, candidate);
    ProbeBits bits = probe_file(candidate.c_str());
    if (!(bits & PROBE_EXISTS) || !(bits & PROBE_EXEC)) return false;
    build_full_path(candidate.c_str());
    return show_result(indent) == 1;
}

int lookup_command(int indent, const char* name, const char* path_list) {
    int found = 0;
    std::string entry, candidate;
    if (contains_slash(name)) {
        name_has_slash = 1;
        const char* base_name = name + split_slash_name(name);
        entry = slash_dir;
        return try_entry(indent, entry, base_name, candidate) ? 1 : 0;
    }
    name_has_slash = 0;
    size_t entry_pos = 0;
    while (next_path_entry(path_list, entry_pos, entry)) {
        if (!try_entry(indent, entry, name, candidate)) continue;
        found = 1;
        if (!options.opt_all) return 1;
    }
    return found;
}
