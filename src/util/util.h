// Process-wide basics every module may use: the program name for messages, the output stream,
// allocation that never fails, and exits that never lose output.
#pragma once

#include <cstddef>
#include <cstdio>

// argv[0] exactly as received ("trakko" when the argument vector is empty); the first field of
// the usage line and of every message that starts with the program name.
extern const char* program_name;

// The one buffered stream that results, definitions and alias lines go to, in the order they
// are produced. Standard output, except where a fuzz target or a test hands in its own.
extern FILE* out;

// malloc that ends the process with "PROGRAM: Out of memory" (no line end) and 255 on failure.
void* alloc_or_die(size_t size);

// realloc that ends the process with "PROGRAM: Out of memory\n" and 255 on failure; a null block
// behaves as alloc_or_die, a size of 0 returns realloc's result unchanged.
void* realloc_or_die(void* block, size_t size);

// Makes operator new end the process the way alloc_or_die does instead of throwing.
void install_out_of_memory_handler();

// Flushes standard output and returns status; a failed write instead ends the process with
// "PROGRAM: write error: REASON\n" and 255, so lost output never reads as success.
int flushed_status(int status);

// exit with flushed_status(status).
[[noreturn]] void exit_checked(int status);

// Writes message to standard error as it stands and exits through exit_checked with 255.
[[noreturn]] void fatal(const char* message);
