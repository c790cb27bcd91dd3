#include <cstring>

#include "search/search.h"

// An empty element stands for the working directory. The cursor stays on the ':' that ended a
// non-empty entry, but moves past the ':' that ended an empty one; the next call then steps
// over one more ':'. A run of colons therefore yields fewer "." entries than the empty elements
// it separates (/bin:::/usr/bin gives a single "."). Long-standing PATH values depend on the
// entries this produces, so the rule is kept exactly.
bool next_path_entry(const char* list, size_t& entry_pos, std::string& entry) {
    if (list == nullptr) return false;
    size_t length = strlen(list);
    size_t pos = entry_pos;
    if (pos >= length) return false;
    if (pos > 0 && list[pos] == ':') ++pos;
    if (list[pos] == ':' || list[pos] == '\0') {
        entry_pos = list[pos] == ':' ? pos + 1 : pos;
        entry = ".";
        return true;
    }
    const char* end = strchr(list + pos, ':');
    size_t stop = end != nullptr ? static_cast<size_t>(end - list) : length;
    entry_pos = stop;
    entry.assign(list + pos, stop - pos);
    return true;
}

std::string join_dir_name(std::string_view dir, std::string_view name) {
    std::string joined;
    joined.reserve(dir.size() + name.size() + 1);
    joined.append(dir);
    if (!dir.empty() && dir.back() != '/') joined.push_back('/');
    joined.append(name);
    return joined;
}
