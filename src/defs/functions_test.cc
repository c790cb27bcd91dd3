#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli.h"
#include "defs/defs.h"
#include "util/util.h"

using namespace std::string_literals;

namespace {

// Points out at a memory stream for one test; text() is what was written so far.
struct CapturedOut {
    FILE* saved = out;
    char* buffer = nullptr;
    size_t size = 0;
    CapturedOut() { out = open_memstream(&buffer, &size); }
    ~CapturedOut() {
        fclose(out);
        out = saved;
        free(buffer);
    }
    std::string text() {
        fflush(out);
        return std::string(buffer, size);
    }
};

// Reads input with function reading on, leaving the options as they were. The stored
// functions are views, so the input is kept until the next call.
void read_functions(std::string input) {
    static std::string kept;
    kept = std::move(input);
    OptionSet saved = options;
    options.opt_read_functions = 1;
    read_definitions_from(kept);
    options = saved;
}

}  // namespace

TEST(ShowFunction, OutputTable) {
    read_functions("f () \n{ \n  a\n}\nF ()\n{\n x\0y\n}\n ()\n{ empty\n}\ne ()\n"s);
    struct Case {
        int indent;
        std::string name;
        int brace;
        int result;
        std::string output;
    } cases[] = {
        {0, "f", 0, 1, "f ()\n{ \n  a\n}\n"},
        {1, "f", 0, 1, "\tf ()\n\t{ \n\t  a\n\t}\n"},
        {0, "f", 1, 1, "f () {\n{ \n  a\n}\n"},
        {1, "f", 1, 1, "\tf () {\n\t{ \n\t  a\n\t}\n"},
        {0, "e", 0, 1, "e ()\n"},
        {1, "e", 1, 1, "\te () {\n"},
        {0, "F", 0, 1, "F ()\n{\n x}\n"},
        {1, "F", 0, 1, "\tF ()\n\t{\n\t x\t}\n"},
        {0, "", 0, 1, " ()\n{ empty\n}\n"},
        {0, "f ", 0, 0, ""},
        {1, "g", 0, 0, ""},
    };
    for (const Case& c : cases) {
        CapturedOut captured;
        EXPECT_EQ(show_function(c.indent, c.name, c.brace), c.result) << c.name;
        EXPECT_EQ(captured.text(), c.output) << c.indent << " " << c.name << " " << c.brace;
    }
}

TEST(ShowFunction, FirstOfTwoAndEmptyTable) {
    read_functions("f ()\n{ one\n}\nf ()\n{ two\n}\n");
    {
        CapturedOut captured;
        EXPECT_EQ(show_function(0, "f", 0), 1);
        EXPECT_EQ(captured.text(), "f ()\n{ one\n}\n");
    }
    read_functions("");
    CapturedOut captured;
    EXPECT_EQ(show_function(0, "f", 0), 0);
    EXPECT_EQ(captured.text(), "");
}

TEST(ShowFunction, LongBodyLineKeepsOneTab) {
    std::string long_line(1100, 'z');
    read_functions("f () {\n" + long_line + "\n}\n");
    CapturedOut captured;
    EXPECT_EQ(show_function(1, "f", 1), 1);
    EXPECT_EQ(captured.text(), "\tf () {\n\t" + long_line + "\n\t}\n");
}
