// PATH splitting: the entries next_path_entry hands out for any list, checked against a count of
// the list's colon runs, and both forms of join_dir_name over every entry and a name from the
// input.
//
// Input: the PATH value, then optionally a newline and the name to join (both up to the first
// NUL, since neither can hold one).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "search/path_list.h"

// The entries the colon rule must produce, worked out from the runs of colons rather than from
// a cursor: every non-empty element once, in order, and for a run of k colons k/2 "." entries
// between two elements, (k+1)/2 at the start or end of the list, and 1 + k/2 for a list that is
// nothing but k colons.
static std::vector<std::string> expected_entries(std::string_view list) {
    std::vector<std::string> entries;
    if (list.empty()) return entries;
    if (list.find_first_not_of(':') == std::string_view::npos) {
        entries.assign(1 + list.size() / 2, ".");
        return entries;
    }
    size_t i = 0;
    while (i < list.size()) {
        size_t run_end = list.find_first_not_of(':', i);
        if (run_end == std::string_view::npos) run_end = list.size();
        size_t colons = run_end - i;
        bool at_edge = i == 0 || run_end == list.size();
        entries.insert(entries.end(), at_edge ? (colons + 1) / 2 : colons / 2, ".");
        if (run_end == list.size()) break;
        size_t element_end = list.find(':', run_end);
        if (element_end == std::string_view::npos) element_end = list.size();
        entries.emplace_back(list.substr(run_end, element_end - run_end));
        i = element_end;
    }
    return entries;
}

// reused is the storage the lookup keeps from one entry to the next: whatever the previous join
// left in it must not show through.
static void check_join(const std::string& dir, std::string_view name, std::string& reused) {
    std::string joined = join_dir_name(dir, name);
    join_dir_name(dir, name, reused);
    CHECK(reused == joined);
    bool slash_added = !dir.empty() && dir.back() != '/';
    CHECK(joined.size() == dir.size() + name.size() + (slash_added ? 1 : 0));
    CHECK(joined.compare(0, dir.size(), dir) == 0);
    CHECK(joined.compare(joined.size() - name.size(), name.size(), name) == 0);
    if (slash_added) CHECK(joined[dir.size()] == '/');
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    input.resize(input.find('\0') == std::string::npos ? size : input.find('\0'));
    size_t newline = input.find('\n');
    std::string list = input.substr(0, newline);
    std::string name = newline == std::string::npos ? "x" : input.substr(newline + 1);

    std::vector<std::string> entries;
    size_t entry_pos = 0;
    std::string entry;
    size_t previous_pos = 0;
    std::string reused = "left over from an earlier lookup";
    while (next_path_entry(list.c_str(), entry_pos, entry)) {
        // Every call moves the cursor forward, so the walk ends; an entry is never empty and
        // never holds the separator.
        CHECK(entry_pos > previous_pos);
        CHECK(entry_pos <= list.size());
        previous_pos = entry_pos;
        CHECK(!entry.empty());
        CHECK(entry.find(':') == std::string::npos);
        entries.push_back(entry);
        check_join(entry, name, reused);
    }
    CHECK(entries == expected_entries(list));
    CHECK(!next_path_entry(nullptr, entry_pos, entry));
    return 0;
}
