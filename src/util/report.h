// The one writer of standard error's lines: trakko's own messages with their bytes as they are,
// and the lines it composes from text that others control (names, link targets, entries),
// escaped so that each stays one line that says only what trakko says.
#pragma once

#include <string>
#include <string_view>

#include "util/util.h"

// text with every byte that is not part of a valid UTF-8 sequence, every C1 control (U+0080 to
// U+009F, both of its bytes), every byte below 0x20 and 0x7f as "\x" and two lower-case hex
// digits, and a backslash as "\\". A terminal that reads UTF-8 then sees no control, and one
// that reads 8-bit bytes no C1 control either.
std::string escape_controls(std::string_view text);

// text escaped as one line on standard error, in one write, out flushed first so that a
// terminal shows both in order.
void write_report_line(Output& out, std::string_view text);

// One of trakko's own messages ("PROGRAM: " first when with_program), bytes as they are: the
// caller gives the line end. One write: standard error is unbuffered, and a line in pieces
// could interleave with the output of another process on the same terminal.
void write_message(std::string_view text, bool with_program = true);
