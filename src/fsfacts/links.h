// Symbolic links: their text, and where a chain of them ends.
#pragma once

#include <string>
#include <vector>

// The text of the symbolic link path, however long; empty when it cannot be read.
std::string read_link(const std::string& path);

// The texts of the chain of links that starts at the link path, in the order followed: the
// first one's text first, the last one's naming what the chain ends at. At most 40 links.
std::vector<std::string> link_chain(const std::string& path);
