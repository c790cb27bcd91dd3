// The alias stage: a stored alias line named like a COMMAND, and what its value runs.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "defs/defs.h"
#include "search/run_context.h"

// The alias lines of the listing by name, indexed at the first question: an alias value that
// names another alias runs what that one's value runs.
class AliasIndex {
  public:
    explicit AliasIndex(const AliasLineList& lines) : lines_(lines) {}
    // The value of the first alias called name, its listing's quoting removed.
    std::optional<std::string> value_of(std::string_view name);

  private:
    const AliasLineList& lines_;
    bool built_ = false;
    std::unordered_map<std::string_view, std::string_view> by_name_;
    std::deque<std::string> joined_;  // the definitions that run over several lines
};

// Prints line when it defines an alias named like a COMMAND, strikes that COMMAND unless --all,
// and answers the commands of the alias value: under --shell every command it runs, read as
// that shell reads it (inner aliases through aliases, or the listing's own when null),
// otherwise the first word of every command. Stops at a lookup that fails, and returns its
// failure.
Failure resolve_alias_line(RunContext& run, Definitions& defs, std::string_view line,
                           CommandList& commands, AliasIndex* aliases = nullptr);

// Every alias definition of the listing through resolve_alias_line, in order; under --shell a
// definition whose value holds a newline is one, over its lines.
Failure resolve_aliases(RunContext& run, Definitions& defs, CommandList& commands);
