// Password-database cases for the unit tests: they run under nss_wrapper (ctest's unit.nss entry
// preloads libnss_wrapper.so and names the files in NSS_WRAPPER_PASSWD and NSS_WRAPPER_GROUP),
// and each case writes the passwd file it needs, the real user's entry included or left out.
#pragma once

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// The real user's id and group as they appear in a passwd line.
inline std::string real_ids() {
    return std::to_string(getuid()) + ":" + std::to_string(getgid());
}

// Replaces a file through a new inode, so that nss_wrapper notices the change and reads it again.
inline void replace_file(const std::string& path, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::string fresh = path + ".new";
    FILE* file = fopen(fresh.c_str(), "w");
    ASSERT_NE(file, nullptr) << fresh;
    fputs(contents.c_str(), file);
    ASSERT_EQ(fclose(file), 0);
    ASSERT_EQ(rename(fresh.c_str(), path.c_str()), 0) << path;
}

// Makes lines the whole password database, plus a marker entry that proves the wrapper is in
// place: without it the system's own database would answer and the cases would prove nothing.
inline void write_passwd(const std::string& lines) {
    replace_file(getenv("NSS_WRAPPER_PASSWD"), lines + "nss-marker:x:4242:4242::/marker:/bin/sh\n");
    replace_file(getenv("NSS_WRAPPER_GROUP"), "root:x:0:\n");
    const struct passwd* marker = getpwnam("nss-marker");
    ASSERT_NE(marker, nullptr) << "libnss_wrapper.so is not preloaded";
    endpwent();
}

// A fixture for the cases that need the wrapper; the plain run, without it, skips them.
class NssTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (getenv("NSS_WRAPPER_PASSWD") == nullptr || getenv("NSS_WRAPPER_GROUP") == nullptr)
            GTEST_SKIP() << "needs nss_wrapper: run through ctest (unit.nss)";
    }
};
