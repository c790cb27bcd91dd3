// What the mount of a file's file system says about it.
#pragma once

// True when path lies on a file system mounted noexec: nothing in it can be run, whatever its
// mode says.
bool mounted_noexec(const char* path);
