// The normalisation walk: normalise_path of a candidate against a working-directory prefix, both
// from the input, compared with a model of the walk that has no buffer limit and records how far
// it wrote. The result buffer is a heap block of exactly 1024 bytes, so that AddressSanitizer
// sees any write past it.
//
// Input: the working directory, a newline, the candidate (each up to the first NUL). The
// directory is made into a prefix the way the working directory is made into one: absolute, ending
// in '/', at most 1023 bytes.

#include "search/normalise.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "check.h"

static constexpr size_t buffer_size = 1024;

struct ModelResult {
    std::string text;
    bool fits = true;  // no byte, terminator included, went past the 1024-byte buffer
};

// Moves the end of r back to just after the third '/' from its end; false when there are fewer.
static bool model_climb(std::string& r) {
    for (size_t k = r.size(), slashes = 0; k-- > 0;) {
        if (r[k] == '/' && ++slashes == 3) {
            r.resize(k + 1);
            return true;
        }
    }
    return false;
}

// The walk as the tool's documentation describes it, on an unbounded string, with the
// terminator taken as the last byte of the candidate.
static ModelResult model_walk(std::string_view candidate, std::string_view cwd) {
    ModelResult model;
    std::string& r = model.text;
    bool slash_before = false, one_dot = false, two_dots = false;
    if (candidate.empty() || candidate[0] != '/') {
        r = cwd;
        slash_before = true;
    }
    bool exempt = candidate.size() >= 2 && candidate[0] == '/' && candidate[1] == '/' &&
                  (candidate.size() == 2 || candidate[2] != '/');
    for (size_t i = 0; i <= candidate.size(); ++i) {
        char b = i < candidate.size() ? candidate[i] : '\0';
        if (slash_before && b == '/' && !(exempt && i == 1)) continue;
        r.push_back(b);
        if (r.size() > buffer_size) model.fits = false;
        if (b == '/' && one_dot) {
            r.resize(r.size() - 2);
            one_dot = false;
            slash_before = true;
        } else if (b == '/' && two_dots) {
            two_dots = false;
            if (!model_climb(r)) {
                r = candidate;
                if (r.size() + 1 > buffer_size) model.fits = false;
                return model;
            }
            slash_before = true;
        } else if (b == '\0') {
            r.pop_back();
            return model;
        } else {
            two_dots = one_dot && b == '.';
            one_dot = slash_before && b == '.';
            slash_before = b == '/';
        }
    }
    return model;
}

// No doubled slash (but for the leading pair that is kept), no "." or ".." component left.
static bool is_tidy(std::string_view path) {
    std::string_view tail = path.substr(path.starts_with("//") ? 1 : 0);
    return tail.find("//") == std::string_view::npos &&
           path.find("/./") == std::string_view::npos &&
           path.find("/../") == std::string_view::npos;
}

static PathPrefix* make_cwd(std::string dir) {
    if (dir.empty() || dir[0] != '/') dir.insert(0, 1, '/');
    if (dir.back() != '/') dir.push_back('/');
    if (dir.size() > buffer_size - 1) {
        dir.resize(buffer_size - 2);
        dir.push_back('/');
    }
    auto* prefix = new PathPrefix;
    memcpy(prefix->text, dir.c_str(), dir.size() + 1);
    prefix->length = dir.size();
    return prefix;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    input.resize(input.find('\0') == std::string::npos ? size : input.find('\0'));
    size_t newline = input.find('\n');
    if (newline == std::string::npos) return -1;  // not an input of this shape: keep it out
    PathPrefix* cwd = make_cwd(input.substr(0, newline));
    std::string candidate = input.substr(newline + 1);

    auto* block = static_cast<char*>(malloc(buffer_size));
    char(&result)[buffer_size] = *reinterpret_cast<char(*)[buffer_size]>(block);
    bool fitted = normalise_path(candidate.c_str(), *cwd, result);

    std::string_view cwd_text(cwd->text, cwd->length);
    ModelResult model = model_walk(candidate, cwd_text);
    CHECK(fitted == model.fits);
    if (fitted) {
        CHECK(memchr(result, '\0', buffer_size) != nullptr);
        CHECK(model.text == result);
        // Unless the climb passed the root and the candidate came back as given, the result is
        // absolute, and tidy when what it was built from was.
        bool copied_back = model.text == candidate;
        if (!copied_back) CHECK(result[0] == '/');
        if (!copied_back && (candidate[0] == '/' || is_tidy(cwd_text))) CHECK(is_tidy(result));
    }
    free(block);
    delete cwd;
    return 0;
}
