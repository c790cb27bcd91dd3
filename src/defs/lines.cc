#include <algorithm>
#include <cstring>

#include "defs/defs.h"

std::string_view next_line(std::string_view input, size_t pos) {
    const char* start = input.data() + pos;
    size_t left = input.size() - pos;
    const void* newline = memchr(start, '\n', left);
    size_t length = newline != nullptr ? static_cast<const char*>(newline) - start + 1 : left;
    return std::string_view(start, length);
}

std::string_view until_nul(std::string_view line, bool may_hold_nul) {
    if (!may_hold_nul) return line;
    const void* nul = memchr(line.data(), '\0', line.size());
    return nul != nullptr ? line.substr(0, static_cast<const char*>(nul) - line.data()) : line;
}

void AliasLineList::assign(std::string_view region, bool may_hold_nul, bool drop_empty) {
    region_ = region;
    may_hold_nul_ = may_hold_nul;
    drop_empty_ = drop_empty;
}

AliasLineList::iterator::iterator(const AliasLineList* list, size_t pos)
    : list_(list), pos_(pos), next_(pos) {
    settle();
}

AliasLineList::iterator& AliasLineList::iterator::operator++() {
    pos_ = next_;
    settle();
    return *this;
}

// Moves to the first line at or after pos_ that is stored; the end when there is none.
void AliasLineList::iterator::settle() {
    std::string_view region = list_->region_;
    while (pos_ < region.size()) {
        std::string_view raw = next_line(region, pos_);
        next_ = pos_ + raw.size();
        line_ = until_nul(raw, list_->may_hold_nul_);
        bool dropped = line_.starts_with("declare -") || (line_.empty() && list_->drop_empty_);
        if (!dropped) return;
        pos_ = next_;
    }
}
