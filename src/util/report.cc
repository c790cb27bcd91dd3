#include "util/report.h"

#include <cstdio>

void write_report_line(Output& out, std::string_view text) {
    flush_output(out);
    std::string line = escape_controls(text);
    line += '\n';
    fwrite(line.data(), 1, line.size(), stderr);
}

void write_message(std::string_view text, bool with_program) {
    std::string line;
    if (with_program) line.append(program_name).append(": ");
    line.append(text);
    fwrite(line.data(), 1, line.size(), stderr);
}
