#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli.h"
#include "defs/defs.h"
#include "util/util.h"

// A listing file that another process truncates while trakko holds it mapped must not kill
// the run: the lost part reads as zero bytes and the run is told that the input changed.
TEST(MappedInput, TruncatedFileIsReportedNotFatal) {
    char path[] = "/tmp/trakko-mapped-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    // The second function lies several pages into the file.
    std::string listing = "first ()\n{\n    :\n}\n" + std::string(64 * 1024, '#') + "\n" +
                          "second ()\n{\n    echo there\n}\n";
    ASSERT_EQ(write(fd, listing.data(), listing.size()), static_cast<ssize_t>(listing.size()));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);

    int saved_stdin = dup(0);
    ASSERT_EQ(dup2(fd, 0), 0);
    options = OptionSet{};
    options.opt_read_functions = 1;
    read_definitions();
    dup2(saved_stdin, 0);
    close(saved_stdin);

    ASSERT_FALSE(input_changed_while_read());
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    FILE* saved_out = out;
    out = fopen("/dev/null", "w");
    // The first page is still there; looking for the second function touches the lost ones.
    EXPECT_EQ(show_function(0, "first", 0), 1);
    EXPECT_FALSE(input_changed_while_read());
    show_function(0, "second", 0);
    fclose(out);
    out = saved_out;
    EXPECT_TRUE(input_changed_while_read());

    close(fd);
    unlink(path);
    options = OptionSet{};
}
