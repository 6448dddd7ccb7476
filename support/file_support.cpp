// Questions about the file system: readable files, enterable directories, listings.
#include "support/file_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chartest {

namespace {

// A path holding a zero byte cannot be handed to the system without naming a
// different (shorter) path, so it names nothing.
bool usable_path(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

// The attribute bits of one entry of an open directory (see CAT in the header).
int32_t entry_attributes(int dir_fd, const char* name) {
    struct stat st {};
    int32_t attr = 0;
    if (fstatat(dir_fd, name, &st, 0) != 0 && fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return ATTR_SYSTEM;
    if (S_ISDIR(st.st_mode)) {
        attr |= ATTR_DIRECTORY;
    } else if (S_ISREG(st.st_mode)) {
        attr |= ATTR_ARCHIVE;
    } else {
        attr |= ATTR_SYSTEM;
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attr |= ATTR_READONLY;
    if (name[0] == '.') attr |= ATTR_HIDDEN;
    return attr;
}

}  // namespace

int32_t IS_FILE(const std::string& SOMEPATHTOTEST) {
    if (!usable_path(SOMEPATHTOTEST)) return 0;
    // Non-blocking, so that a named pipe without a writer does not hold the call up.
    const int fd = open(SOMEPATHTOTEST.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    const bool is_file = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    close(fd);
    return is_file ? -1 : 0;
}

int32_t IS_DIR(const std::string& SOMEPATHTOTEST) {
    // The current directory is held open rather than by name, so that it can be
    // returned to even when its name is too long for getcwd or it has been removed.
    const int here = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (here < 0) {
        // Without a way back the directory is not changed: the same question answered
        // by looking at the path.
        struct stat st {};
        const bool enterable = usable_path(SOMEPATHTOTEST) &&
                               stat(SOMEPATHTOTEST.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
                               access(SOMEPATHTOTEST.c_str(), X_OK) == 0;
        return enterable ? 0 : -1;
    }
    int32_t result = -1;
    if (usable_path(SOMEPATHTOTEST) && chdir(SOMEPATHTOTEST.c_str()) == 0) result = 0;
    if (result == 0) (void)!fchdir(here);
    close(here);
    return result;
}

void CAT(StringTable& FILELIST, const std::string& PATH, int32_t ATTR) {
    FILELIST.erase();
    if (PATH.find('\0') != std::string::npos) return;

    // PATH is a folder followed by a name pattern: "dir/*.txt", "/x/a?c", "*.bmp".
    const size_t slash = PATH.rfind('/');
    std::string folder = ".";
    std::string pattern = PATH;
    if (slash != std::string::npos) {
        folder = slash == 0 ? "/" : PATH.substr(0, slash);
        pattern = PATH.substr(slash + 1);
    }
    if (pattern.empty()) return;

    const int32_t allowed = (ATTR & 0xFF) | ((ATTR & ATTR_DIRECTORY) ? 0 : ATTR_ARCHIVE);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (fnmatch(pattern.c_str(), entry->d_name, 0) != 0) continue;
        if ((entry_attributes(dirfd(dir), entry->d_name) & 0xFF & ~allowed) != 0) continue;
        FILELIST.redim_preserve(FILELIST.lbound(), FILELIST.ubound() + 1);
        FILELIST[FILELIST.ubound()] = name;
    }
    closedir(dir);
}

}  // namespace chartest
