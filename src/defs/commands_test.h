// For tests: a COMMAND list over texts that the test keeps alive beside it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "defs/defs.h"

// The COMMAND texts of one test, kept alive beside the list that points at them.
struct Commands {
    std::vector<std::string> texts;
    std::vector<char*> argv;
    CommandList list;
    explicit Commands(std::vector<std::string> given) : texts(std::move(given)) {
        for (std::string& text : texts) argv.push_back(text.data());
        list = make_command_list(argv.data(), argv.size());
    }
    std::vector<bool> struck() const {
        std::vector<bool> flags;
        for (const char* entry : list.entries) flags.push_back(entry == nullptr);
        return flags;
    }
};
