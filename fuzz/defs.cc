// The definition reader with function display: bytes read as a listing by read_definitions_from,
// then show_function for every stored name and for the first word of every input line, printed
// into a memory stream. A model of the reader that follows the documented line rules gives the
// functions, the alias lines and the header form that the listing must produce, and every
// display is compared with the model's text.
//
// Input: one byte of switches (bit 0 --read-alias, bit 1 --read-functions), then the listing.

#include "defs/defs.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "check.h"
#include "util/util.h"

namespace {

using Lines = std::vector<std::string_view>;

struct ModelFunction {
    std::string_view name;
    Lines body;  // each line as its C-string copy would hold it
};

struct Model {
    std::vector<ModelFunction> functions;
    std::unordered_map<std::string_view, size_t> first_by_name;
    Lines aliases;
    int brace_style = 0;
};

// The input's lines as a line-reading loop sees them: up to and including each newline.
Lines split_lines(std::string_view input) {
    Lines lines;
    for (size_t pos = 0; pos < input.size();) {
        size_t newline = input.find('\n', pos);
        size_t end = newline == std::string_view::npos ? input.size() : newline + 1;
        lines.push_back(input.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::string_view as_c_string(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

bool is_blank_byte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The header test: the last significant byte p, found by a scan that never goes below index
// 2, then " ()" or " () {" ending there. Returns the name's start, or npos for no header.
size_t header_name_start(std::string_view line, bool& brace) {
    size_t p = line.size() - 1;
    while (p > 2 && is_blank_byte(line[p])) --p;
    if (p >= 2 && line[p] == ')' && line[p - 1] == '(' && line[p - 2] == ' ') {
        brace = false;
        return line.starts_with("declare -") ? line.find(' ', 9) + 1 : 0;
    }
    if (p >= 5 && line[p] == '{' && line[p - 4] == ' ' && line[p - 3] == '(' &&
        line[p - 2] == ')' && line[p - 1] == ' ') {
        brace = true;
        return 0;
    }
    return std::string_view::npos;
}

Model model_read(std::string_view input, bool read_alias, bool read_functions) {
    Model model;
    bool collecting = read_alias;
    Lines lines = split_lines(input);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = as_c_string(lines[i]);
        if (read_functions) {
            if (line.empty()) continue;
            bool brace = false;
            size_t start = header_name_start(line, brace);
            if (start != std::string_view::npos) {
                if (brace) model.brace_style = 1;
                std::string_view rest = line.substr(start);
                ModelFunction function{rest.substr(0, rest.find(' ')), {}};
                while (++i < lines.size()) {
                    function.body.push_back(as_c_string(lines[i]));
                    if (lines[i] == "}\n") break;
                }
                model.first_by_name.try_emplace(function.name, model.functions.size());
                model.functions.push_back(function);
                collecting = false;
                continue;
            }
        }
        if (collecting && !line.starts_with("declare -")) model.aliases.push_back(line);
    }
    return model;
}

// What show_function must print for the first model function called name.
std::string expected_display(const Model& model, std::string_view name, int indent) {
    auto found = model.first_by_name.find(name);
    if (found == model.first_by_name.end()) return "";
    std::string tab = indent ? "\t" : "";
    std::string text = tab + std::string(name) + (model.brace_style ? " () {\n" : " ()\n");
    for (std::string_view line : model.functions[found->second].body)
        text += tab + std::string(line);
    return text;
}

// One memory stream per run takes every display; each one is the stretch it added.
class Capture {
  public:
    Capture() : stream_(open_memstream(&buffer_, &length_)) {
        CHECK(stream_ != nullptr);
        run_.out.stream = stream_;
    }
    ~Capture() {
        fclose(stream_);
        free(buffer_);
    }
    // show_function's output and result.
    std::string display(Definitions& defs, std::string_view name, int indent, int& result) {
        CHECK(fflush(stream_) == 0);
        size_t start = length_;
        result = show_function(run_, defs, indent, name) ? 1 : 0;
        CHECK(fflush(stream_) == 0);
        return std::string(buffer_ + start, length_ - start);
    }

  private:
    RunContext run_;
    char* buffer_ = nullptr;
    size_t length_ = 0;
    FILE* stream_;
};

// Each name once, at both indents.
void check_display(const Model& model, Capture& capture, Definitions& defs, std::string_view name,
                   std::unordered_set<std::string_view>& checked) {
    if (!checked.insert(name).second) return;
    for (int indent = 0; indent <= 1; ++indent) {
        int result = 0;
        std::string text = capture.display(defs, name, indent, result);
        std::string expected = expected_display(model, name, indent);
        CHECK(result == (expected.empty() ? 0 : 1));
        CHECK(text == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return -1;
    bool read_alias = (data[0] & 1) != 0, read_functions = (data[0] & 2) != 0;
    OptionSet options;
    options.opt_read_alias = read_alias;
    options.opt_read_functions = read_functions;
    // A copy of exactly the input's size, so that any read past the listing is caught.
    size_t length = size - 1;
    char* listing = static_cast<char*>(malloc(length > 0 ? length : 1));
    memcpy(listing, data + 1, length);
    std::string_view input(listing, length);

    Definitions defs = read_definitions_from(input, options);
    Model model = model_read(input, read_alias, read_functions);
    CHECK(defs.brace_style == (model.brace_style == 1));

    Lines aliases;
    for (std::string_view line : defs.AliasLines) {
        CHECK(line.data() >= listing && line.data() + line.size() <= listing + length);
        aliases.push_back(line);
    }
    CHECK(aliases == model.aliases);

    CHECK(defs.function_table.records.size() == model.functions.size());
    {
        Capture capture;
        std::unordered_set<std::string_view> checked;
        for (const ModelFunction& function : model.functions)
            check_display(model, capture, defs, function.name, checked);
        for (std::string_view line : split_lines(input)) {
            std::string_view word = as_c_string(line);
            check_display(model, capture, defs, word.substr(0, word.find(' ')), checked);
        }
        check_display(model, capture, defs, "no such \x01 name", checked);
    }

    free(listing);
    return 0;
}
