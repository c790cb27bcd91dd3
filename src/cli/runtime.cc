// The executable's own allocation and error entry points of the C++ runtime.
//
// trakko throws nothing and catches nothing: a failed allocation ends the run with the
// out-of-memory message. Defining operator new and the handful of std::__throw_* helpers that
// the standard containers call keeps the runtime's exception machinery out of the executable:
// the unwinder, the demangler of the verbose terminate handler, the type information and the
// emergency pool that the runtime allocates before main. Without them the loader processes a
// few hundred relocations fewer and nothing runs before main, which is most of what a lookup
// costs beyond the system calls. Only the executable links this file (CMakeLists.txt); the
// tests and the sanitizer builds keep the standard runtime.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "util/util.h"

[[noreturn]] static void out_of_memory() {
    fprintf(stderr, "%s: Out of memory", program_name);
    exit_checked(255);
}

// A length past max_size() or a bad position is a fault in trakko itself, never a property of
// the input: it ends the run the way an uncaught exception would, with an abort.
[[noreturn]] static void internal_error(const char* what) {
    fprintf(stderr, "%s: internal error: %s\n", program_name, what);
    abort();
}

void* operator new(std::size_t size) {
    void* block = malloc(size != 0 ? size : 1);
    if (block == nullptr) out_of_memory();
    return block;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    free(block);
}

// The library's out-of-line throw helpers, as declared in <bits/functexcept.h>.
namespace std {
void __throw_bad_alloc() {
    out_of_memory();
}
void __throw_bad_array_new_length() {
    out_of_memory();
}
void __throw_length_error(const char* what) {
    internal_error(what);
}
void __throw_logic_error(const char* what) {
    internal_error(what);
}
void __throw_out_of_range(const char* what) {
    internal_error(what);
}
void __throw_out_of_range_fmt(const char* what, ...) {
    internal_error(what);
}
void __throw_invalid_argument(const char* what) {
    internal_error(what);
}
}  // namespace std
