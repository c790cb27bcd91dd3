// PATH split into its entries, and an entry joined with a name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The next entry of list at entry_pos into entry, advancing entry_pos; false when the list is
// absent or exhausted. An empty element yields ".". entry_pos starts at 0 and is changed only by
// this function.
bool next_path_entry(const char* list, size_t& entry_pos, std::string& entry);

// dir, a '/' when dir is not empty and does not end in one, then name.
std::string join_dir_name(std::string_view dir, std::string_view name);

// The same into joined, reusing its storage.
void join_dir_name(std::string_view dir, std::string_view name, std::string& joined);
