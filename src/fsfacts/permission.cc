#include "fsfacts/permission.h"

namespace {

constexpr unsigned all_bits = acl_read | acl_write | acl_execute;
constexpr unsigned write_search = acl_write | acl_execute;

unsigned mask_of(const std::vector<AclEntry>& acl) {
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_mask) return entry.perm;
    return all_bits;
}

std::string perm_text(unsigned perm) {
    std::string text = "---";
    if (perm & acl_read) text[0] = 'r';
    if (perm & acl_write) text[1] = 'w';
    if (perm & acl_execute) text[2] = 'x';
    return text;
}

// The decision of the owner's, a named user's or the others' entry.
ExecGrant by_entry(const AclEntry& entry, unsigned mask, bool masked) {
    unsigned perm = masked ? entry.perm & mask : entry.perm;
    ExecGrant grant{(perm & acl_execute) != 0, std::nullopt, mask};
    if (entry.tag == acl_user || (masked && (entry.perm & acl_execute) && !(perm & acl_execute)))
        grant.entry = entry;
    return grant;
}

}  // namespace

std::vector<Writer> writers_of(const struct stat& status, const std::vector<AclEntry>& acl,
                               uid_t euid) {
    unsigned mask = mask_of(acl);
    unsigned group = (status.st_mode & S_IRWXG) >> 3;
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_group_obj) group = entry.perm;
    std::vector<Writer> who;
    if ((status.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH))
        who.push_back({Writer::others});
    else if ((group & mask & write_search) == write_search)
        who.push_back({Writer::group});
    for (unsigned tag : {acl_user, acl_group}) {
        for (const AclEntry& entry : acl) {
            if (entry.tag != tag || (entry.perm & mask & write_search) != write_search) continue;
            if (tag == acl_user && (entry.id == 0 || entry.id == euid)) continue;
            who.push_back({tag == acl_user ? Writer::user_entry : Writer::group_entry, entry.id});
        }
    }
    return who;
}

// The kernel's order: the owner, a named user, the groups (any one that grants is enough),
// the others. Root may run what any execute bit lets someone run.
ExecGrant exec_grant(const struct stat& status, const std::vector<AclEntry>& acl,
                     const EffectiveIds& ids) {
    mode_t mode = status.st_mode;
    if (ids.uid == 0) return {(mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0, std::nullopt};
    unsigned mask = mask_of(acl);
    AclEntry owner{acl_user_obj, static_cast<unsigned>((mode & S_IRWXU) >> 6), 0};
    AclEntry group{acl_group_obj, static_cast<unsigned>((mode & S_IRWXG) >> 3), 0};
    AclEntry other{acl_other, static_cast<unsigned>(mode & S_IRWXO), 0};
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_group_obj) group = entry;
    if (ids.uid == status.st_uid) return by_entry(owner, mask, false);
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_user && entry.id == ids.uid) return by_entry(entry, mask, true);
    std::optional<ExecGrant> refused;
    auto try_group = [&](const AclEntry& entry) {
        ExecGrant grant = by_entry(entry, mask, !acl.empty());
        if (entry.tag == acl_group && !grant.allowed) grant.entry = entry;
        if (grant.allowed || !refused || (!refused->entry && grant.entry)) refused = grant;
    };
    if (ids.in_group(status.st_gid)) try_group(group);
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_group && ids.in_group(entry.id) && !(refused && refused->allowed))
            try_group(entry);
    if (refused) return *refused;
    return by_entry(other, mask, false);
}

std::string acl_entry_text(const ExecGrant& grant, IdNames& names) {
    if (!grant.entry) return std::string();
    const AclEntry& entry = *grant.entry;
    std::string text = entry.tag == acl_user || entry.tag == acl_user_obj ? "user:" : "group:";
    if (entry.tag == acl_user) text += user_name(names, entry.id);
    if (entry.tag == acl_group) text += group_name(names, entry.id);
    text += ':' + perm_text(entry.perm);
    if ((entry.perm & grant.mask) != entry.perm)
        text += ", masked to " + perm_text(entry.perm & grant.mask);
    return text;
}
