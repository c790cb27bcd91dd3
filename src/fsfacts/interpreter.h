// Whether the kernel will start a script: the interpreter its "#!" line names.
#pragma once

#include <string>

#include "identity/identity.h"

// Why the kernel would refuse to start the file path for its "#!" line: the interpreter is
// missing, not executable by the effective ids, or on a file system mounted noexec. Empty when
// it would start it, when the file is no script, or when it cannot be read.
std::string start_refusal(const char* path, IdNames& names);

// The interpreter that a file's first bytes name after "#!", as the kernel reads it (up to the
// first blank or line end); empty when they name none.
std::string interpreter_of(std::string_view head);
