// Who may do what to a file, decided as the kernel decides it: the mode, the ACL and its mask,
// and the effective ids.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "fsfacts/acl.h"
#include "identity/identity.h"

// One class of users that may add a name to a directory: it takes write and search both.
struct Writer {
    enum Kind : unsigned char { others, group, user_entry, group_entry };
    Kind kind;
    unsigned id = 0;  // of a named ACL entry
    bool operator==(const Writer&) const = default;
};

// Who may add names to the directory with this status and access ACL: others, or else the
// owning group; then each user and each group that the ACL names, but root and euid. The ACL's
// mask bounds what all of its entries but the owner's and the others' grant.
std::vector<Writer> writers_of(const struct stat& status, const std::vector<AclEntry>& acl,
                               uid_t euid);

// What the permission bits and the ACL of a file say about ids running it (the mount aside).
struct ExecGrant {
    bool allowed = false;
    // The named entry, or the one the mask cut, that decided: what the mode does not show.
    std::optional<AclEntry> entry;
    unsigned mask = acl_read | acl_write | acl_execute;
};

ExecGrant exec_grant(const struct stat& status, const std::vector<AclEntry>& acl,
                     const EffectiveIds& ids);

// An ACL entry as getfacl writes it ("user:NAME:r-x", "group::r--"), and the mask it was cut
// to when that takes its execute bit: "user:NAME:rwx, masked to r--".
std::string acl_entry_text(const ExecGrant& grant, IdNames& names);
