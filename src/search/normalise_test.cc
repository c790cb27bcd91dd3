#include "search/normalise.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

static PathPrefix prefix_of(const char* text) {
    PathPrefix prefix;
    strcpy(prefix.text, text);
    prefix.length = strlen(text);
    return prefix;
}

static std::string normalised(const char* candidate, const char* cwd) {
    char result[1024];
    if (!normalise_path(candidate, prefix_of(cwd), result)) return "<too long>";
    return result;
}

TEST(NormalisePath, Table) {
    struct Case {
        const char* candidate;
        const char* expected;
    } cases[] = {
        {"./x", "/home/u/x"},
        {"./bin/x", "/home/u/bin/x"},
        {"bin/../bin/x", "/home/u/bin/x"},
        {"a//b/x", "/home/u/a/b/x"},
        {"a/./b/x", "/home/u/a/b/x"},
        {"a/b/../../c/x", "/home/u/c/x"},
        {"../bin/x", "/home/bin/x"},
        {"../../x", "/x"},
        {"../../../x", "../../../x"},
        {"/a/../b/x", "/b/x"},
        {"/a/b/c/../../d/x", "/a/d/x"},
        {"/../b/x", "/../b/x"},
        {"//bin/x", "//bin/x"},
        {"///bin/x", "/bin/x"},
        {"/bin//x", "/bin/x"},
        {"/./bin/x", "/bin/x"},
        {"/a/.../x", "/a/.../x"},
        {"/a/.b/c/x", "/a/.b/c/x"},
        {"/a/b../x", "/a/b../x"},
        {"././x", "/home/u/x"},
        {".//./x", "/home/u/x"},
        {"x", "/home/u/x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normalised(c.candidate, "/home/u/"), c.expected) << c.candidate;
}

TEST(NormalisePath, RootWorkingDirectory) {
    EXPECT_EQ(normalised("./x", "/"), "/x");
    EXPECT_EQ(normalised("../bin/x", "/"), "../bin/x");
    EXPECT_EQ(normalised("../x", "/"), "../x");
}

TEST(NormalisePath, LengthLimitCountsTheTerminator) {
    std::string fits = "/" + std::string(1021, 'a') + "x";  // 1023 bytes
    EXPECT_EQ(normalised(fits.c_str(), "/"), fits);
    std::string too_long = fits + "y";  // 1024 bytes
    EXPECT_EQ(normalised(too_long.c_str(), "/"), "<too long>");
}

TEST(NormalisePath, RefusesGrowthPastTheBufferBeforeALaterClimb) {
    std::string candidate = std::string(1100, 'a') + "/../x";
    EXPECT_EQ(normalised(candidate.c_str(), "/home/u/"), "<too long>");
}

TEST(NormalisePath, UnnormalisedCopyThatDoesNotFitIsRefused) {
    std::string candidate = "/../" + std::string(1100, 'a');
    EXPECT_EQ(normalised(candidate.c_str(), "/"), "<too long>");
}
