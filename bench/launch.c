/* launch NAMES INPUT [VAR=VALUE...] PROGRAM [ARG...]: runs PROGRAM with the ARGs and then one
 * argument per line of the file NAMES, its standard input read from the file INPUT and the
 * variables set in its environment. The scaling runs pass up to 20,000 COMMANDs, more than one
 * shell word or one hyperfine argument may carry (128 KiB), and a shell in between would add its
 * own parsing to what is measured. PROGRAM is a path beginning with '/'. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char *read_file(const char *path, size_t *size) {
    int fd = open(path, O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return NULL;
    char *text = malloc((size_t)st.st_size + 1);
    size_t done = 0;
    ssize_t got;
    while (text != NULL && done < (size_t)st.st_size &&
           (got = read(fd, text + done, (size_t)st.st_size - done)) > 0)
        done += (size_t)got;
    close(fd);
    if (text != NULL) text[done] = '\0';
    *size = done;
    return text;
}

int main(int argc, char **argv) {
    if (argc < 4) {
        fputs("usage: launch NAMES INPUT [VAR=VALUE...] PROGRAM [ARG...]\n", stderr);
        return 2;
    }
    int first = 3;
    for (; first < argc && argv[first][0] != '/' && strchr(argv[first], '=') != NULL; first++)
        putenv(argv[first]);
    if (first == argc) {
        fputs("launch: no PROGRAM\n", stderr);
        return 2;
    }
    size_t size = 0;
    char *names = read_file(argv[1], &size);
    if (names == NULL) {
        perror(argv[1]);
        return 2;
    }
    size_t lines = 0;
    for (size_t i = 0; i < size; i++) lines += names[i] == '\n';
    char **args = malloc(sizeof *args * ((size_t)argc + lines + 1));
    size_t n = 0;
    for (int i = first; i < argc; i++) args[n++] = argv[i];
    for (char *line = names; *line != '\0';) {
        char *end = strchr(line, '\n');
        if (end != NULL) *end = '\0';
        args[n++] = line;
        if (end == NULL) break;
        line = end + 1;
    }
    args[n] = NULL;
    int fd = open(argv[2], O_RDONLY);
    if (fd < 0 || dup2(fd, 0) < 0) {
        perror(argv[2]);
        return 2;
    }
    if (fd != 0) close(fd);
    execv(args[0], args);
    perror(args[0]);
    return 2;
}
