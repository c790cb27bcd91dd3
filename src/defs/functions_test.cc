#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "defs/defs.h"
#include "search/run_context.h"
#include "util/util.h"

using namespace std::string_literals;

namespace {

// The run of the current case and the definitions it read.
RunContext run;
Definitions defs;

// Points the run's output at a memory stream for one test; text() is what was written so far.
struct CapturedOut {
    char* buffer = nullptr;
    size_t size = 0;
    CapturedOut() { run.out.stream = open_memstream(&buffer, &size); }
    ~CapturedOut() {
        fclose(run.out.stream);
        run.out.stream = stdout;
        free(buffer);
    }
    std::string text() {
        fflush(run.out.stream);
        return std::string(buffer, size);
    }
};

// Reads input with function reading on. The stored functions are views, so the input is kept
// until the next call.
void read_functions(std::string input) {
    static std::string kept;
    kept = std::move(input);
    OptionSet options;
    options.opt_read_functions = true;
    defs = read_definitions_from(kept, options);
}

// show_function with the header form chosen by the case; 1 when it found the function.
int show(int indent, std::string_view name, int brace) {
    defs.brace_style = brace == 1;
    return show_function(run, defs, indent, name) ? 1 : 0;
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
        EXPECT_EQ(show(c.indent, c.name, c.brace), c.result) << c.name;
        EXPECT_EQ(captured.text(), c.output) << c.indent << " " << c.name << " " << c.brace;
    }
}

TEST(ShowFunction, FirstOfTwoAndEmptyTable) {
    read_functions("f ()\n{ one\n}\nf ()\n{ two\n}\n");
    {
        CapturedOut captured;
        EXPECT_EQ(show(0, "f", 0), 1);
        EXPECT_EQ(captured.text(), "f ()\n{ one\n}\n");
    }
    read_functions("");
    CapturedOut captured;
    EXPECT_EQ(show(0, "f", 0), 0);
    EXPECT_EQ(captured.text(), "");
}

TEST(ShowFunction, LongBodyLineKeepsOneTab) {
    std::string long_line(1100, 'z');
    read_functions("f () {\n" + long_line + "\n}\n");
    CapturedOut captured;
    EXPECT_EQ(show(1, "f", 1), 1);
    EXPECT_EQ(captured.text(), "\tf () {\n\t" + long_line + "\n\t}\n");
}
