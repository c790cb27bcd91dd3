#include "fsfacts/acl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The bytes that hex spells, two digits a byte.
static std::string bytes_of(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

TEST(DecodeAcl, Table) {
    const unsigned none = 0xffffffff;
    struct Case {
        const char* hex;
        std::vector<AclEntry> entries;
        bool extended;
    } cases[] = {
        // What setfacl -m u:nobody:rwx leaves on a drwxr-xr-x directory, as the kernel keeps it.
        {"02000000"
         "01000700ffffffff"
         "02000700feff0000"
         "04000500ffffffff"
         "10000700ffffffff"
         "20000500ffffffff",
         {{acl_user_obj, 7, none},
          {acl_user, 7, 65534},
          {acl_group_obj, 5, none},
          {acl_mask, 7, none},
          {acl_other, 5, none}},
         true},
        // Ids take all four bytes, permissions both of theirs; a mask alone extends the mode.
        {"02000000"
         "0800020078563412"
         "1000000100000000",
         {{acl_group, acl_write, 0x12345678}, {acl_mask, 0x100, 0}},
         true},
        // What setfacl -m m::r-x leaves: a mask and no named entry still says more than a mode.
        {"02000000"
         "01000700ffffffff"
         "04000700ffffffff"
         "10000500ffffffff"
         "20000500ffffffff",
         {{acl_user_obj, 7, none},
          {acl_group_obj, 7, none},
          {acl_mask, 5, none},
          {acl_other, 5, none}},
         true},
        {"02000000"
         "01000600ffffffff"
         "04000400ffffffff"
         "20000000ffffffff",
         {{acl_user_obj, 6, none}, {acl_group_obj, 4, none}, {acl_other, 0, none}},
         false},
        {"02000000", {}, false},
        {"03000000"
         "01000700ffffffff",
         {},
         false},  // another version
        {"02000000"
         "01000700ffff",
         {},
         false},                // a cut entry
        {"020000", {}, false},  // a cut header
        {"", {}, false},
    };
    for (const Case& c : cases) {
        std::vector<AclEntry> decoded = decode_acl(bytes_of(c.hex));
        EXPECT_EQ(decoded, c.entries) << c.hex;
        EXPECT_EQ(extends_mode(decoded), c.extended) << c.hex;
    }
}
