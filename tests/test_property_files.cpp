// Property files and the word digest.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/headless_fixture.h"
#include "support/property_core.h"
#include "tests/property_fixture.h"

namespace chartest {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A headless screen and a temporary working directory.
class PropertyFiles : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        old_cwd_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        HeadlessScreen::TearDown();
    }
    TempDir dir_;
    fs::path old_cwd_;
};

TEST_F(PropertyFiles, LoadNormalisesTheName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"db", "db.Property"},
        {"db.Property", "db.Property"},
        {"db.Property.old", "db.Property"},
        {"db.property", "db.property.Property"},
        {"", ".Property"},
        {"a.Property/b.Property", "a.Property"},
    };
    for (const auto& [given, used] : cases) {
        std::string name = given, buffer = "untouched";
        PROPERTY_LOAD_RAW_BUFFER(buffer, name);
        EXPECT_EQ(name, used) << given;
        EXPECT_EQ(buffer, "untouched") << given;  // no such file
    }
    dir_.write("db.Property", "k=v");
    std::string name = "db.Property.old", buffer;
    PROPERTY_LOAD_RAW_BUFFER(buffer, name);
    EXPECT_EQ(buffer, "k=v");
    PropertyDb db;
    name = "db";
    PROPERTY_DATABASE_LOAD(db, name);
    EXPECT_EQ(name, "db.Property");
    EXPECT_EQ(pairs(db), (Pairs{{"k", "v"}}));
}

TEST_F(PropertyFiles, RawLoadReadsEveryByte) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += "\r\n\n\r";
    dir_.write("raw.Property", bytes);
    dir_.write("empty.Property", "");
    std::string name = "raw", buffer = "old";
    PROPERTY_LOAD_RAW_BUFFER(buffer, name);
    EXPECT_EQ(buffer, bytes);
    name = "empty";
    PROPERTY_LOAD_RAW_BUFFER(buffer, name);
    EXPECT_EQ(buffer, "");
    // A folder of that name is not a file: the buffer stays.
    fs::create_directory(dir_.path() / "folder.Property");
    name = "folder";
    buffer = "old";
    PROPERTY_LOAD_RAW_BUFFER(buffer, name);
    EXPECT_EQ(buffer, "old");
}

TEST_F(PropertyFiles, SaveTakesThreeKeysAndWritesTheNameAsGiven) {
    PropertyDb db;
    PROPERTY_DATABASE_SET(db, "b", "2");
    PROPERTY_DATABASE_SET(db, "a", "1");
    headless::push_keys("123");
    PROPERTY_DATABASE_SAVE(db, "out");
    EXPECT_EQ(headless::pending_keys(), 0u);
    EXPECT_EQ(read_file_bytes(dir_.file("out")), "a=1\r\nb=2");
    EXPECT_EQ(names_in(dir_.path()), (std::vector<std::string>{"out"}));  // no temporary left

    // Loading "out" looks for out.Property, which does not exist: the database empties.
    std::string name = "out";
    PROPERTY_DATABASE_LOAD(db, name);
    EXPECT_EQ(db.ubound(), -1);
    EXPECT_EQ(db.lbound(), -1);

    // Saved and loaded through the extension, it comes back.
    PropertyDb original;
    PROPERTY_DATABASE_SET(original, "x", "1 = 2");
    PROPERTY_DATABASE_SET(original, "y", std::string("\0\r", 2));
    headless::push_keys("123");
    PROPERTY_DATABASE_SAVE(original, "sub.Property");
    name = "sub";
    PROPERTY_DATABASE_LOAD(db, name);
    EXPECT_EQ(pairs(db), pairs(original));
}

TEST_F(PropertyFiles, SaveReplacesAndCreates) {
    dir_.write("f.Property", std::string(1000, 'x'));
    PROPERTY_SAVE_RAW_BUFFER("short", "f.Property");
    EXPECT_EQ(read_file_bytes(dir_.file("f.Property")), "short");

    PropertyDb empty;
    headless::push_keys("123");
    PROPERTY_DATABASE_SAVE(empty, "f.Property");
    EXPECT_TRUE(fs::exists(dir_.path() / "f.Property"));
    EXPECT_EQ(fs::file_size(dir_.path() / "f.Property"), 0u);

    // A read-only old file is replaced as well: the folder decides, as with deletion.
    dir_.write("ro.Property", "old");
    fs::permissions(dir_.path() / "ro.Property", fs::perms::owner_read);
    PROPERTY_SAVE_RAW_BUFFER("new", "ro.Property");
    EXPECT_EQ(read_file_bytes(dir_.file("ro.Property")), "new");
    // A new file gets the permissions of any newly created file.
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(dir_.path() / "ro.Property").permissions()),
              0666 & ~mask);

    // An absolute name in another folder.
    TempDir other;
    PROPERTY_SAVE_RAW_BUFFER("abs", other.file("a.Property"));
    EXPECT_EQ(read_file_bytes(other.file("a.Property")), "abs");
    EXPECT_EQ(names_in(other.path()), (std::vector<std::string>{"a.Property"}));
}

TEST_F(PropertyFiles, NothingIsWrittenWhereNothingCanBe) {
    PROPERTY_SAVE_RAW_BUFFER("x", "missing/folder.Property");
    EXPECT_FALSE(fs::exists(dir_.path() / "missing"));
    // A folder in the way is left alone.
    fs::create_directory(dir_.path() / "taken");
    PROPERTY_SAVE_RAW_BUFFER("x", "taken");
    EXPECT_TRUE(fs::is_directory(dir_.path() / "taken"));
    EXPECT_EQ(names_in(dir_.path()), (std::vector<std::string>{"taken"}));
    PROPERTY_SAVE_RAW_BUFFER("x", "");
    EXPECT_EQ(names_in(dir_.path()), (std::vector<std::string>{"taken"}));
}

TEST_F(PropertyFiles, UnwritableFolderKeepsTheOldFile) {
    // The old file cannot be deleted but could be written to: the new text must neither
    // be appended to it nor replace it.
    dir_.write("locked/f.Property", "old");
    fs::permissions(dir_.path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(dir_.path() / "locked/f.Property", fs::perms::all);
    fs::permissions(dir_.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                                fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EXIT(
        {
            // Root writes into read-only folders; an ordinary user does not.
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::exit(9);
            PROPERTY_SAVE_RAW_BUFFER("new", "locked/f.Property");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_file_bytes(dir_.file("locked/f.Property")), "old");
    EXPECT_EQ(names_in(dir_.path() / "locked"), (std::vector<std::string>{"f.Property"}));
}

TEST_F(PropertyFiles, FailedWriteKeepsTheOldFileAndEndsWithError3) {
    dir_.write("f.Property", "old text");
    // A file size limit makes the write fail part of the way through.
    EXPECT_EXIT(
        {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
            PROPERTY_SAVE_RAW_BUFFER(std::string(1 << 20, 'n'), "f.Property");
        },
        ::testing::ExitedWithCode(3), "runtime error 3 \\(file I/O error\\)");
    EXPECT_EQ(read_file_bytes(dir_.file("f.Property")), "old text");
    EXPECT_EQ(names_in(dir_.path()), (std::vector<std::string>{"f.Property"}));
}

TEST_F(PropertyFiles, EscapeBeforeTheWriteEndsWithoutWriting) {
    dir_.write("f.Property", "old");
    PropertyDb db;
    PROPERTY_DATABASE_SET(db, "k", "v");
    EXPECT_EXIT(
        {
            headless::push_keys("1\\e");
            PROPERTY_DATABASE_SAVE(db, "f.Property");
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_file_bytes(dir_.file("f.Property")), "old");
}

TEST_F(PropertyFiles, KilledSaveLeavesOldOrNewNeverAMix) {
    // Large enough that a save takes a while; the two texts differ in every byte.
    const std::string old_text(12 << 20, 'o'), new_text(10 << 20, 'N');
    const std::string target = dir_.file("big.Property");
    for (int delay_us : {0, 200, 1000, 3000, 10000, 20000, 40000}) {
        PROPERTY_SAVE_RAW_BUFFER(old_text, target);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                PROPERTY_SAVE_RAW_BUFFER(new_text, target);
                PROPERTY_SAVE_RAW_BUFFER(old_text, target);
            }
        }
        usleep(delay_us);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = read_file_bytes(target);
        EXPECT_TRUE(now == old_text || now == new_text) << "after " << delay_us << " us: "
                                                          << now.size() << " bytes";
        // A killed save may leave its temporary file behind; the target is whole.
        for (const std::string& name : names_in(dir_.path()))
            if (name != "big.Property") fs::remove(dir_.path() / name);
    }
}

// ---- Word digest -------------------------------------------------------------------------

class WordDigest : public PropertyFiles {
protected:
    // Digests `text` with the word list folder present; returns the database.
    PropertyDb digest(std::string text) {
        fs::create_directories("Assets (v0x22)");
        PropertyDb db;
        headless::push_keys("123");
        PROPERTY_DIGEST_WORD(db, text);
        EXPECT_EQ(text, "");
        EXPECT_EQ(headless::pending_keys(), 0u);
        return db;
    }
    std::string word_file() { return read_file_bytes("Assets (v0x22)/Words.Property"); }
};

TEST_F(WordDigest, Cases) {
    struct Case {
        std::string text;
        Pairs records;  // in label order, as the database holds them
        std::string file;
    };
    const std::string br = "{% CRLF %}";
    const std::vector<Case> cases = {
        {"to be\r\nor", {{"1", "to"}, {"2", "be"}, {"3", br}, {"4", "or"}},
         "1=to\r\n2=be\r\n3=" + br + "\r\n4=or"},
        {"a b c", {{"1", "a"}, {"2", "b"}, {"3", "c"}}, "1=a\r\n2=b\r\n3=c"},
        {"x\r\ny", {{"1", "x"}, {"2", br}, {"3", "y"}}, "1=x\r\n2=" + br + "\r\n3=y"},
        {"a  b", {{"1", "a"}, {"2", ""}, {"3", "b"}}, "1=a\r\n3=b"},
        {"a\r\n", {{"1", "a"}, {"2", br}}, "1=a\r\n2=" + br},
        {"a ", {{"1", "a"}}, "1=a"},
        {" \r\n", {{"1", ""}, {"2", ""}, {"3", br}}, "3=" + br},
        {"\r\n\r\n", {{"1", ""}, {"2", br}, {"3", ""}, {"4", br}}, "2=" + br + "\r\n4=" + br},
        {"t\ta,b\rc\nd", {{"1", "t\ta,b\rc\nd"}}, "1=t\ta,b\rc\nd"},
        {"", {}, ""},
    };
    for (const Case& c : cases) {
        PropertyDb db = digest(c.text);
        EXPECT_EQ(pairs(db), c.records) << c.text;
        for (int32_t i = 0; i <= db.ubound(); ++i) EXPECT_EQ(db[i].ITERATOR, -1);
        EXPECT_EQ(word_file(), c.file) << c.text;
    }
}

TEST_F(WordDigest, LabelsAreHexInByteOrder) {
    std::string text;
    for (int i = 1; i <= 17; ++i) text += (i > 1 ? " w" : "w") + std::to_string(i);
    PropertyDb db = digest(text);
    std::vector<std::string> labels;
    for (int32_t i = 0; i <= db.ubound(); ++i) labels.push_back(db[i].LABEL);
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "10", "11", "2", "3", "4", "5", "6", "7", "8",
                                                 "9", "A", "B", "C", "D", "E", "F"}));
    EXPECT_EQ(PROPERTY_GET(db, "10").VALUE, "w16");
    EXPECT_EQ(PROPERTY_GET(db, "A").VALUE, "w10");
    EXPECT_EQ(word_file().substr(0, 17), "1=w1\r\n10=w16\r\n11=");

    // Many words: sequence numbers keep counting, the text is walked once.
    std::string many;
    for (int i = 0; i < 100000; ++i) many += i % 10 == 9 ? "w\r\n" : "w ";
    PropertyDb big = digest(many);
    EXPECT_EQ(big.count(), 110000);
    EXPECT_EQ(PROPERTY_GET(big, "1ADB0").VALUE, "{% CRLF %}");
}

TEST_F(WordDigest, WithoutTheFolderNothingIsSaved) {
    PropertyDb db;
    std::string text = "a b";
    headless::push_keys("123");
    PROPERTY_DIGEST_WORD(db, text);
    EXPECT_EQ(db.count(), 2);
    EXPECT_TRUE(names_in(dir_.path()).empty());
}

}  // namespace
}  // namespace chartest
