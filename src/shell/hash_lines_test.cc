#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "defs/defs.h"
#include "shell/facts.h"
#include "shell/remembered.h"

using namespace std::string_literals;

namespace {

std::string repeated(std::string_view text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) out += text;
    return out;
}

std::string kind_name(HashLine kind) {
    return kind == HashLine::none ? "none" : kind == HashLine::skipped ? "skipped" : "entry";
}

}  // namespace

// The rows in the shells' own spelling are lines that bash 5.2 (hash -l), zsh 5.9 (hash -L),
// ksh93 and mksh (alias -t, through the integration) wrote.
TEST(ParseHashLine, Table) {
    struct Case {
        std::string line;
        std::string kind;
        std::string name;
        std::string path;
    } cases[] = {
        {"builtin hash -p /usr/bin/ls ls\n", "entry", "ls", "/usr/bin/ls"},
        {"builtin hash -p '/tmp/hx/sp ace/t x' 't x'", "entry", "t x", "/tmp/hx/sp ace/t x"},
        {"builtin hash -p '/p/q'\\''x' 'q'\\''x'", "entry", "q'x", "/p/q'x"},
        {"builtin hash -p $'/p/e\\303\\251' $'e\\303\\251'", "entry", "e\xc3\xa9", "/p/e\xc3\xa9"},
        {"builtin hash -p $'/p/nl\\nx' $'nl\\nx'", "entry", "nl\nx", "/p/nl\nx"},
        {"builtin hash -p $'/tab\\tx' $'\\tt'", "entry", "\tt", "/tab\tx"},
        {"builtin hash -p '/back\\sl' 'b\\s'", "entry", "b\\s", "/back\\sl"},
        {"builtin hash -p /bin/ls -dash", "entry", "-dash", "/bin/ls"},
        {"builtin hash -p relative/x rel", "skipped", "", ""},
        {"builtin hash -p /bin/ls ", "none", "", ""},
        {"builtin hash -p /bin/ls a b", "none", "", ""},
        {"hash ls=/usr/bin/ls", "entry", "ls", "/usr/bin/ls"},
        {"hash -- -dash=/bin/ls", "entry", "-dash", "/bin/ls"},
        {"hash 'sp ace'='/z/sp ace'", "entry", "sp ace", "/z/sp ace"},
        {"hash 'sp ace'=/z/'sp ace'", "entry", "sp ace", "/z/sp ace"},
        {"hash 'q'\\''x'='/p/q'\\''x'", "entry", "q'x", "/p/q'x"},
        {"hash 'n'\\'='/p'\\'", "entry", "n'", "/p'"},
        {"hash $'e\\M-C\\M-)'=$'/p/e\\M-C\\M-)'", "entry", "e\xc3\xa9", "/p/e\xc3\xa9"},
        {"hash $'n\\C-A'=$'/p\\M-\\C-?'", "entry", "n\x01", "/p\xff"},
        {"hash $'n\\M-\\C-@'=$'/p\\M-\\t'", "entry", "n\x80", "/p\x89"},
        {"hash a='b=/c'", "skipped", "", ""},
        {"hash rel=rel/x", "skipped", "", ""},
        {"hash a/b=/bin/ls", "skipped", "", ""},
        {"hash -- =/bin/ls", "skipped", "", ""},
        {"hash -- 'n'=$'/p/e\\xc3\\xa9'", "entry", "n", "/p/e\xc3\xa9"},
        {"hash -- 'q'\\''x'=$'/p/q\\'x'", "entry", "q'x", "/p/q'x"},
        // Double quotes, the other escapes of $'...', and words glued together.
        {"hash \"d q\"=\"/a\\\"b\\\\c\\d\"", "entry", "d q", "/a\"b\\c\\d"},
        {"hash x=$'/\\a\\b\\e\\E\\f\\r\\v\\\"\\?\\q'", "entry", "x", "/\a\b\x1b\x1b\f\r\v\"?\\q"},
        {"hash x=$'/\\x41\\x4g\\xz\\101\\7\\u00e9\\U0001F600\\cA\\c?'", "entry", "x",
         "/A\x04g\\xzA\x07\xc3\xa9\xf0\x9f\x98\x80\x01\x7f"},
        {"hash x=/a\\ b\"c\"'d'$'e'", "entry", "x", "/a bcde"},
        {"hash x=$'/\\x414'", "entry", "x", "/A4"},  // two hex digits at most
        {"hash x=\"/a#b\" #c", "none", "", ""},      // a word of its own is a comment
        // Modifiers of modifiers, in any number: read in one pass, innermost first.
        {"builtin hash -p $'/bin/" + repeated("\\c", 100000) + "a' ls", "entry", "ls", "/bin/\x01"},
        {"hash -- ls=$'/bin/" + repeated("\\M-", 100000) + "a'", "entry", "ls", "/bin/\xe1"},
        {"hash x=$'/" + repeated("\\M-\\C-", 50000) + "?\\C-\\M-a'", "entry", "x", "/\x9f\x81"},
        // ksh93's bracketed escapes (alias -t in C.UTF-8, and \x[hh] before a hex digit).
        {"hash -- 'a b'=$'/p/a\\u[a0]b\\u[200b]\\u[2028]\\u[feff]\\u[85]'", "entry", "a b",
         "/p/a\xc2\xa0"
         "b\u200b\u2028\ufeff\xc2\x85"},
        {"hash -- x=$'/p/a\\x[a9]b\\xef\\xbb\\x[bf]b\\x[100]'", "entry", "x",
         "/p/a\xa9"
         "b\xef\xbb\xbf"
         "b\xc4\x80"},
        {"hash -- x=$'/p\\u[zz]\\x[a9\\u[]'", "entry", "x", "/p\\u[zz]\\x[a9\\u[]"},
        {"hash -- x=$'/p\\x[0]'", "none", "", ""},
        // zsh's (qqqq) quoting.
        {"hash -- $'a\\!b'=$'/p/a\\!\\302\\205'", "entry", "a!b", "/p/a!\xc2\x85"},
        {"hash  x=/a  ", "entry", "x", "/a"},
        // Lines that are not the shells' own: ordinary lines.
        {"hash ls", "none", "", ""},
        {"hash -r", "none", "", ""},
        {"hash -x=/bin/ls", "none", "", ""},
        {"hash x=/a y=/b", "none", "", ""},
        {"hash 'x=/a", "none", "", ""},
        {"hash x=$'/a", "none", "", ""},
        {"hash x=$'/a\\'", "none", "", ""},
        {"hash x=\"/a", "none", "", ""},
        {"hash x=/a\\", "none", "", ""},
        {"hash x=/a;rm", "none", "", ""},
        {"hash x=/a|b", "none", "", ""},
        {"hash x=/$HOME", "none", "", ""},
        {"hash x=\"/$HOME\"", "none", "", ""},
        {"hash x=/`id`", "none", "", ""},
        {"hash x=\"/`id`\"", "none", "", ""},
        {"hash #x=/a", "none", "", ""},
        {"hash #'x'=/a", "none", "", ""},
        {"hash x=/*", "none", "", ""},
        {"hash ~x=/a", "none", "", ""},
        {"hash x=$'/a\\0b'", "none", "", ""},
        {"hash x=$'/a\\x00'", "none", "", ""},
        {"hashx=/a", "none", "", ""},
        {" hash x=/a", "none", "", ""},
        {"builtin hash -p", "none", "", ""},
        {"alias hash='hash -r'", "none", "", ""},
    };
    for (const Case& c : cases) {
        std::string name, path;
        HashLine kind = parse_hash_line(c.line, name, path);
        EXPECT_EQ(kind_name(kind), c.kind) << c.line;
        if (kind != HashLine::entry) continue;
        EXPECT_EQ(name, c.name) << c.line;
        EXPECT_EQ(path, c.path) << c.line;
    }
}

namespace {

std::string path_of(RememberedPaths& table, std::string_view name) {
    size_t line = table.find(name);
    return line == std::string_view::npos ? "none" : std::string(table.lines[line].path);
}

// The facts of input under both options, as "what name" words in a fixed order, and the alias
// lines that follow the block.
struct Read {
    std::string facts;
    std::vector<std::string> aliases;
};

Read read_both(const std::string& input) {
    OptionSet options;
    options.opt_read_alias = options.opt_read_functions = true;
    options.opt_read_hash = options.opt_read_builtins = true;
    Definitions defs = read_definitions_from(input, options, facts_block_end);
    ShellFacts facts = read_shell_facts(defs.facts, options);
    Read read;
    std::vector<std::string> words;
    for (auto& [name, on] : facts.builtins)
        words.push_back((on ? "b:" : "b-n:") + std::string(name));
    for (auto& [name, on] : facts.keywords)
        words.push_back((on ? "k:" : "k-n:") + std::string(name));
    for (std::string_view path : facts.bound) words.push_back("bound:" + std::string(path));
    for (const RememberedPath& line : facts.remembered->lines)
        words.push_back("h:" + std::string(line.name) + "=" + std::string(line.path));
    if (facts.checkhash) words.emplace_back("checkhash");
    if (facts.posix) words.emplace_back("posix");
    std::sort(words.begin(), words.end());
    for (const std::string& word : words) read.facts += (read.facts.empty() ? "" : " ") + word;
    for (std::string_view line : defs.AliasLines) read.aliases.emplace_back(line);
    return read;
}

}  // namespace

// Only the block that leads the listing holds facts: a line after its first other line is
// text of an alias value or a function body, whatever it looks like.
TEST(ShellFacts, OnlyTheLeadingBlockHoldsFactsAndNoneOfItIsAnAliasLine) {
    struct Case {
        std::string input;
        std::string facts;
        std::vector<std::string> aliases;
    } cases[] = {
        {"hash a=/1\nhash b=/2\nhash a=/3\nalias x=y\n", "h:a=/1 h:a=/3 h:b=/2", {"alias x=y\n"}},
        // A relative path is taken, and tells nothing.
        {"hash a=/1\nhash a=rel\nalias x=y\n", "h:a=/1", {"alias x=y\n"}},
        // A multi-line alias value, a here-document: past the block, never a fact.
        {"alias x='a\nbuiltin hash -p /tmp/evil/ls ls\n'\n",
         "",
         {"alias x='a\n", "builtin hash -p /tmp/evil/ls ls\n", "'\n"}},
        {"enable echo\nalias e='x\nenable cd'\n", "b:echo", {"alias e='x\n", "enable cd'\n"}},
        {"f () \n{ \n    cat <<E\nhash a=/1\nE\n}\n", "", {}},
        {"hash a=/1\0\nhash b=/2\n"s, "", {"hash a=/1", "hash b=/2\n"}},
        {"enable echo\nenable -n echo\nenable cd\nenable /opt/ast/bin/cat\nenable -n test\n"
         "keyword if\nkeyword -n repeat\nshopt -s checkhash\nset -o posix\nalias a=b\n",
         "b-n:echo b-n:test b:cd bound:/opt/ast/bin/cat checkhash k-n:repeat k:if posix",
         {"alias a=b\n"}},
        {"set -o posix\nset +o posix\nshopt -u checkhash\n", "", {}},
        // Not the lines of a shell: a blank inside a name, no name, another shopt.
        {"enable a b\n", "", {"enable a b\n"}},
        {"keyword \nenable echo\n", "", {"keyword \n", "enable echo\n"}},
        {"shopt -s extglob\nenable echo\n", "", {"shopt -s extglob\n", "enable echo\n"}},
    };
    for (const Case& c : cases) {
        Read read = read_both(c.input);
        EXPECT_EQ(read.facts, c.facts) << c.input;
        EXPECT_EQ(read.aliases, c.aliases) << c.input;
    }
}

TEST(ShellFacts, ManyLookupsGoThroughTheIndexWithTheSameAnswers) {
    OptionSet options;
    options.opt_read_hash = true;
    ShellFacts facts = read_shell_facts("hash a=/1\nhash b=/2\nhash a=/3\n", options);
    RememberedPaths& table = *facts.remembered;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(path_of(table, "a"), "/3");
        EXPECT_EQ(path_of(table, "b"), "/2");
        EXPECT_EQ(path_of(table, "c"), "none");
    }
    EXPECT_FALSE(table.last_by_name.empty());
}

// Each option takes only its own lines; without either the reader keeps no block at all.
TEST(ShellFacts, EachOptionTakesItsOwnLines) {
    std::string input = "hash ls=/bin/ls\nenable echo\nalias ll='ls -l'\n";
    OptionSet options;
    options.opt_read_alias = true;
    options.opt_read_hash = true;
    ShellFacts facts =
        read_shell_facts(std::string_view(input).substr(0, facts_block_end(input)), options);
    EXPECT_EQ(path_of(*facts.remembered, "ls"), "/bin/ls");
    EXPECT_TRUE(facts.builtins.empty());
    options.opt_read_hash = false;
    options.opt_read_builtins = true;
    facts = read_shell_facts(std::string_view(input).substr(0, facts_block_end(input)), options);
    EXPECT_FALSE(facts.remembered);
    EXPECT_EQ(facts.builtins.size(), 1u);
    Definitions defs = read_definitions_from(input, options);
    size_t lines = 0;
    for (std::string_view line : defs.AliasLines) lines += !line.empty();
    EXPECT_EQ(lines, 3u);
}
