#include "search/path_list.h"

#include <cstring>

// An empty element stands for the working directory. The cursor stays on the ':' that ended a
// non-empty entry, but moves past the ':' that ended an empty one; the next call then steps
// over one more ':'. A run of colons therefore yields fewer "." entries than the empty elements
// it separates (/bin:::/usr/bin gives a single "."). Long-standing PATH values depend on the
// entries this produces, so the rule is kept exactly.
//
// The cursor never passes the terminating NUL (it stops on a ':' or on the NUL), so the end of
// the list shows as a NUL at the cursor: measuring the whole list on every call would cost a
// long PATH its length once per entry, for every name looked up.
bool next_path_entry(const char* list, size_t& entry_pos, std::string& entry) {
    if (list == nullptr) return false;
    size_t pos = entry_pos;
    if (list[pos] == '\0') return false;
    if (pos > 0 && list[pos] == ':') ++pos;
    if (list[pos] == ':' || list[pos] == '\0') {
        entry_pos = list[pos] == ':' ? pos + 1 : pos;
        entry = ".";
        return true;
    }
    const char* end = strchr(list + pos, ':');
    size_t stop = end != nullptr ? static_cast<size_t>(end - list) : pos + strlen(list + pos);
    entry_pos = stop;
    entry.assign(list + pos, stop - pos);
    return true;
}

void join_dir_name(std::string_view dir, std::string_view name, std::string& joined) {
    joined.reserve(dir.size() + name.size() + 1);
    joined.assign(dir);
    if (!dir.empty() && dir.back() != '/') joined.push_back('/');
    joined.append(name);
}

std::string join_dir_name(std::string_view dir, std::string_view name) {
    std::string joined;
    join_dir_name(dir, name, joined);
    return joined;
}
