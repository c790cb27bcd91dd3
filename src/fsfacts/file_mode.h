// The ls -l form of a file: its mode, ACL mark, owner and group.
#pragma once

#include <sys/stat.h>

#include <string>

#include "identity/identity.h"

// "MODE OWNER GROUP" of the file path, whose status is status (a link's own from lstat: the
// link's): its mode as the ten characters of ls -l, with the '+' that ls -l adds for an ACL,
// its owner and group by name, or by number when the database has none.
std::string mode_owner_group(const char* path, const struct stat& status, IdNames& names);
