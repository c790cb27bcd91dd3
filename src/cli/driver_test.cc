#include <gtest/gtest.h>

#include <string>

#include "cli/cli.h"

TEST(FillPrefix, Table) {
    std::string home1022(1022, 'h');
    home1022[0] = '/';
    std::string home1023 = home1022 + "h";
    std::string home1023_slash = home1022 + "/";
    std::string home2000 = home1022 + std::string(978, 'z');
    struct Case {
        std::string source;
        std::string text;
    } cases[] = {
        {"", "/"},
        {"/", "/"},
        {"/home/u", "/home/u/"},
        {"/home/u/", "/home/u/"},
        {"rel", "rel/"},
        {home1022, home1022 + "/"},
        {home1023, home1023},
        {home1023_slash, home1023_slash},
        {home2000, home1022 + "z"},
    };
    for (const Case& c : cases) {
        PathPrefix prefix;
        fill_prefix(prefix, c.source.c_str());
        EXPECT_EQ(std::string(prefix.text), c.text) << c.source.size() << " bytes";
        EXPECT_EQ(prefix.length, c.text.size());
    }
}
