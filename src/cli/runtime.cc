// The executable's own replacement of the global allocation functions.
//
// trakko throws nothing and catches nothing: a failed allocation ends the run with the
// out-of-memory message, straight from operator new, without the new-handler round of the
// runtime's own version. Only the executable links this file (CMakeLists.txt); the tests and
// the sanitizer builds keep the standard runtime, whose allocator the sanitizers hook.
#include <cstdlib>
#include <new>

#include "util/util.h"

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
