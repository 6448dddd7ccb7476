#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_support.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

namespace fs = std::filesystem;

// The device and inode of the current directory: the same pair means the same place,
// even when the directory has no name any more.
std::pair<dev_t, ino_t> where_we_are() {
    struct stat st {};
    EXPECT_EQ(stat(".", &st), 0);
    return {st.st_dev, st.st_ino};
}

TEST(IsFile, ReadableFilesOnly) {
    TempDir dir;
    const std::string file = dir.write("a.txt", "x");
    const std::string empty = dir.write("empty", "");
    fs::create_directory(dir.file("sub"));
    EXPECT_EQ(IS_FILE(file), -1);
    EXPECT_EQ(IS_FILE(empty), -1);
    EXPECT_EQ(IS_FILE(dir.file("sub")), 0);
    EXPECT_EQ(IS_FILE(dir.file("missing")), 0);
    EXPECT_EQ(IS_FILE(""), 0);
    // A zero byte would cut the path short at "a.txt".
    EXPECT_EQ(IS_FILE(file + std::string("\0x", 2)), 0);
}

TEST(IsFile, NamedPipeWithoutWriterDoesNotBlock) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    EXPECT_EQ(IS_FILE(dir.file("pipe")), -1);
}

TEST(IsDir, StatusAndCurrentDirectoryKept) {
    TempDir dir;
    const std::string file = dir.write("a.txt", "x");
    fs::create_directory(dir.file("sub"));
    const auto before = where_we_are();
    const struct {
        std::string path;
        int32_t status;
    } cases[] = {{dir.file("sub"), 0}, {dir.path().string(), 0}, {file, -1},
                 {dir.file("missing"), -1}, {"", -1}, {".", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(IS_DIR(c.path), c.status) << c.path;
        EXPECT_EQ(where_we_are(), before) << c.path;
    }
}

TEST(IsDir, ReturnsToACurrentDirectoryThatWasRemoved) {
    TempDir dir;
    fs::create_directory(dir.file("gone"));
    fs::create_directory(dir.file("other"));
    const fs::path start = fs::current_path();
    ASSERT_EQ(chdir(dir.file("gone").c_str()), 0);
    const auto inside = where_we_are();
    fs::remove(dir.file("gone"));  // now getcwd has no name to give back
    EXPECT_EQ(IS_DIR(dir.file("other")), 0);
    EXPECT_EQ(where_we_are(), inside);
    fs::current_path(start);
}

// A folder with one of each kind of entry.
class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("plain.txt", "p");
        dir.write("locked.txt", "r");
        fs::permissions(dir.file("locked.txt"), fs::perms::owner_read | fs::perms::group_read);
        dir.write(".hidden", "h");
        fs::create_directory(dir.file("sub"));
        fs::create_directory(dir.file(".git"));
        fs::create_directory(dir.file("frozen"));
        fs::permissions(dir.file("frozen"), fs::perms::owner_read | fs::perms::owner_exec);
        ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    }
    std::vector<std::string> cat(const std::string& pattern, int32_t attr) {
        StringTable list;
        list.redim(5, 7);
        CAT(list, dir.path().string() + "/" + pattern, attr);
        EXPECT_EQ(list.lbound(), 0);
        std::vector<std::string> names = list.storage();
        std::sort(names.begin(), names.end());
        return names;
    }
    TempDir dir;
};

using Names = std::vector<std::string>;

TEST_F(Listing, AttributeFilter) {
    const struct {
        int32_t attr;
        Names names;
    } cases[] = {
        {0, {"plain.txt"}},
        {ATTR_DIRECTORY, {"sub"}},
        {ATTR_DIRECTORY | ATTR_ARCHIVE, {"plain.txt", "sub"}},
        {ATTR_READONLY, {"locked.txt", "plain.txt"}},
        {ATTR_HIDDEN, {".hidden", "plain.txt"}},
        {ATTR_DIRECTORY | ATTR_HIDDEN, {".git", "sub"}},
        {ATTR_DIRECTORY | ATTR_READONLY, {"frozen", "sub"}},
        {ATTR_SYSTEM, {"pipe", "plain.txt"}},
        {255, {".git", ".hidden", "frozen", "locked.txt", "pipe", "plain.txt", "sub"}},
        {0x100, {"plain.txt"}},  // only the lowest eight bits count
    };
    for (const auto& c : cases) EXPECT_EQ(cat("*", c.attr), c.names) << "ATTR " << c.attr;
}

TEST_F(Listing, Wildcards) {
    dir.write("plan.txt", "");
    dir.write("plain.bmp", "");
    EXPECT_EQ(cat("*.txt", 0), (Names{"plain.txt", "plan.txt"}));
    EXPECT_EQ(cat("pla?n.*", 0), (Names{"plain.bmp", "plain.txt"}));
    EXPECT_EQ(cat("pl?n.txt", 0), (Names{"plan.txt"}));
    EXPECT_EQ(cat("plain.txt", 0), (Names{"plain.txt"}));  // a plain name matches itself
    EXPECT_EQ(cat("*.none", 255), Names{});
    EXPECT_EQ(cat("", 255), Names{}) << "a folder without a name part";
}

TEST_F(Listing, NothingFoundStillClearsTheList) {
    StringTable list;
    CAT(list, dir.path().string() + "/*", 255);
    EXPECT_EQ(list.count(), 7);
    CAT(list, dir.file("missing") + "/*", 255);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.lbound(), 0);
    EXPECT_EQ(list.ubound(), -1);
}

TEST_F(Listing, RelativeToTheCurrentDirectory) {
    const fs::path start = fs::current_path();
    fs::current_path(dir.path());
    StringTable list;
    CAT(list, "*.txt", 0);
    EXPECT_EQ(list.storage(), Names{"plain.txt"});
    CAT(list, "sub/*", 255);
    EXPECT_TRUE(list.empty()) << "\".\" and \"..\" never reach the list";
    fs::current_path(start);
}

}  // namespace
}  // namespace chartest
