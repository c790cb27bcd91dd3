#include "cli/cli.h"
#include "util/util.h"

int main(int argc, char** argv) {
    exit_checked(run(argc, argv));
}
