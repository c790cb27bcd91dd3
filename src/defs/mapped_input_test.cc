#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
    OptionSet options;
    options.opt_read_functions = true;
    Definitions defs = read_definitions(options);

    // The check reads descriptor 0, that is the listing during a run.
    ASSERT_FALSE(input_changed_while_read(defs.input));
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    RunContext run;
    run.out.stream = fopen("/dev/null", "w");
    // The first page is still there; looking for the second function touches the lost ones.
    EXPECT_TRUE(show_function(run, defs, 0, "first"));
    show_function(run, defs, 0, "second");
    fclose(run.out.stream);
    EXPECT_TRUE(input_changed_while_read(defs.input));
    dup2(saved_stdin, 0);
    close(saved_stdin);

    close(fd);
    unlink(path);
}
