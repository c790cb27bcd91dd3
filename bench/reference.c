/* The floor for one lookup: a plain C program that walks PATH for one name with the same file
 * system calls as trakko (stat, then for a file that is not a directory eaccess with X_OK and
 * with R_OK) and prints the first match on a line of its own. Built as an ordinary dynamically
 * linked executable, it shows what the loader, the C library and those calls cost by
 * themselves. Absolute entries only: the benchmark's PATH has no relative ones. */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* 1 when path is an executable file; the R_OK test is made, as trakko makes it, and ignored. */
static int is_match(const char *path) {
    struct stat st;
    if (stat(path, &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    int executable = eaccess(path, X_OK) == 0;
    (void)eaccess(path, R_OK);
    return executable;
}

int main(int argc, char **argv) {
    const char *list = getenv("PATH");
    if (argc < 2 || list == NULL) return 255;
    const char *name = argv[1];
    size_t name_length = strlen(name);
    char candidate[1024];
    for (const char *entry = list;;) {
        const char *end = strchr(entry, ':');
        size_t length = end != NULL ? (size_t)(end - entry) : strlen(entry);
        if (length + name_length + 2 <= sizeof candidate) {
            memcpy(candidate, entry, length);
            candidate[length] = '/';
            memcpy(candidate + length + 1, name, name_length + 1);
            if (is_match(candidate)) {
                printf("%s\n", candidate);
                return 0;
            }
        }
        if (end == NULL) return 1;
        entry = end + 1;
    }
}
