// Files that must be new: scratch files with fixed names in the current directory are made so
// that whatever already carries the name (a stale file, a symbolic link planted there) is never
// opened or followed.
#pragma once

#include <cstdio>

namespace quillet {

// Removes what carries the name (a link itself, never its target), then creates the file
// exclusively, readable and writable by the owner only, and opens it for update in binary mode.
// nullptr when the name cannot be freed or the file cannot be made new.
std::FILE* create_new_file(const char* name);

// Removes a file or a link (never a link's target); true when the name is gone.
bool remove_name(const char* name);

}  // namespace quillet
