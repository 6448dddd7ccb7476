// Questions about the file system: readable files, enterable directories, listings.
#pragma once

#include <cstdint>
#include <string>

#include "support/runtime.h"

namespace chartest {

// Attribute bits of directory entries, as CAT filters them.
enum : int32_t {
    ATTR_READONLY = 1,
    ATTR_HIDDEN = 2,
    ATTR_SYSTEM = 4,
    ATTR_VOLUME = 8,
    ATTR_DIRECTORY = 16,
    ATTR_ARCHIVE = 32,
};

// -1 when the path names a file that can be opened for reading, 0 otherwise
// (directories, missing paths and the empty path included). Prints nothing.
int32_t IS_FILE(const std::string& SOMEPATHTOTEST);
// A status, not a truth value: 0 when the current directory can be changed to the
// path, -1 otherwise. The current directory is the same afterwards.
int32_t IS_DIR(const std::string& SOMEPATHTOTEST);
// Fills FILELIST (from index 0) with the names of the entries that match PATH, a
// folder followed by a name pattern with "*" and "?", in the order the directory
// search gives them, without "." and "..". An entry is listed when every attribute bit
// it has is allowed: the lowest eight bits of ATTR, plus archive when ATTR lacks the
// directory bit.
//
// Attribute bits of an entry on this platform (symbolic links followed): directory
// from the entry's type; read-only when its mode has no write permission bit at all
// (owner, group and others), so the answer is the same for every user, root included;
// hidden when the name begins with "."; archive for every regular file; system for
// entries that are neither regular files nor directories (devices, pipes, sockets,
// dangling links). Volume label is never set. A PATH with an empty name part (ending
// in "/") or a zero byte matches nothing.
void CAT(StringTable& FILELIST, const std::string& PATH, int32_t ATTR);

}  // namespace chartest
