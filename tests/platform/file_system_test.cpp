#include "platform/error.h"
#include "platform/file_system.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using platform::Error;
using testing_support::TempTree;
using testing_support::errorNumberOf;

namespace {

const QString kStore = "\\\\host\\parlow\\email7";

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() : fs(platform::PathMapper({tree.at("unc"), {}, {}}))
    {
        tree.mkdir("unc/host/parlow/email7/statements/temp");
        tree.mkdir("unc/host/parlow/email7/in");
    }

    TempTree tree;
    platform::LocalFileSystem fs;
};

TEST_F(FileSystemTest, ListsOrdinaryVisibleFilesMatchingInAnyCase)
{
    const QString temp = "unc/host/parlow/email7/statements/temp/";
    for (const char* name : {"1.txt", "2.TXT", "3.Txt", "4.pdf", ".partial.txt"})
        tree.write(temp + name);
    tree.mkdir(temp + "folder.txt");

    QStringList names = fs.list(kStore + "\\STATEMENTS\\TEMP", "*.txt");
    names.sort();
    EXPECT_EQ(names, QStringList({"1.txt", "2.TXT", "3.Txt"}));
    EXPECT_TRUE(names.contains(fs.firstMatch(kStore + "\\statements\\temp", "*.TXT")));
    EXPECT_EQ(fs.firstMatch(kStore + "\\statements\\temp", "*.doc"), "");
    EXPECT_TRUE(fs.list(kStore + "\\statements\\nowhere", "*.txt").isEmpty());
    EXPECT_TRUE(fs.isFile(kStore + "\\statements\\temp\\3.TXT"));
    EXPECT_TRUE(fs.isFolder(kStore + "\\Statements\\Temp"));
    EXPECT_FALSE(fs.isFile(kStore + "\\statements\\temp\\folder.txt"));
}

TEST_F(FileSystemTest, RaisesTheOriginalErrorNumbersAndLeavesNoTemporaries)
{
    tree.write("unc/host/parlow/email7/a.txt", "x");
    EXPECT_EQ(errorNumberOf([&] { fs.readFile(kStore + "\\missing.txt"); }), Error::FileNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.readFile(kStore + "\\nofolder\\a.txt"); }), Error::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.remove(kStore + "\\missing.txt"); }), Error::FileNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.copyReplacing(kStore + "\\a.txt", kStore + "\\nofolder\\a.txt"); }),
              Error::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.moveReplacing(kStore + "\\gone.txt", kStore + "\\in\\a.txt"); }),
              Error::FileNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.readFile("\\\\\\parlow\\a.txt"); }), Error::PathNotFound);
    // A claim never takes the place of another file.
    tree.write("unc/host/parlow/email7/b.txt", "y");
    EXPECT_EQ(errorNumberOf([&] { fs.rename(kStore + "\\a.txt", kStore + "\\b.txt"); }), Error::FileAlreadyExists);
    EXPECT_EQ(tree.read("unc/host/parlow/email7/b.txt"), "y");
    EXPECT_EQ(Error::numberForErrno(ENOSPC), Error::DiskFull);
    EXPECT_STREQ(Error::fromErrno(EROFS, "out\\1.PDF").what(), "Error 75: Read-only file system (out\\1.PDF)");
    EXPECT_STREQ(Error::fromErrno(EACCES, "out\\1.PDF").what(), "Error 70: Permission denied (out\\1.PDF)");
    EXPECT_EQ(QDir(tree.at("unc/host/parlow/email7/in")).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// Where an absence decides whether a statement went out, a look that failed is not an absence.
TEST_F(FileSystemTest, ALookThatFailsIsNoAbsenceWhereTheAbsenceDecides)
{
    // A link that leads to itself: every look through it fails, also for root.
    QFile::link(tree.at("unc/host/parlow/email7/loop"), tree.at("unc/host/parlow/email7/loop"));
    tree.write("unc/host/parlow/email7/in/.STMT_1.T.TXT", "x");
    const QString loop = kStore + "\\loop\\.STMT_1.T.TXT";
    EXPECT_FALSE(fs.stamp(loop));
    EXPECT_EQ(errorNumberOf([&] { fs.stampOrFail(loop); }), Error::numberForErrno(ELOOP));
    EXPECT_TRUE(fs.entries(kStore + "\\loop", "*", true).empty());
    EXPECT_EQ(errorNumberOf([&] { fs.entriesOrFail(kStore + "\\loop", "*", true); }), Error::numberForErrno(ELOOP));
    // Not there is not there, and there is there.
    EXPECT_FALSE(fs.stampOrFail(kStore + "\\in\\.STMT_2.T.TXT"));
    EXPECT_FALSE(fs.stampOrFail(kStore + "\\nofolder\\.STMT_1.T.TXT"));
    EXPECT_TRUE(fs.stampOrFail(kStore + "\\in\\.STMT_1.T.TXT"));
    EXPECT_TRUE(fs.entriesOrFail(kStore + "\\nofolder", "*", true).empty());
    EXPECT_EQ(fs.entriesOrFail(kStore + "\\in", "*", true).size(), 1u);
}

// An archive copy: made in place when new, an earlier one replaced whole, and a write that fails
// leaves no part of itself and the earlier copy as it was.
TEST_F(FileSystemTest, AFileWrittenNewOrReplacingIsWholeOrNotThere)
{
    struct Row {
        const char* before;  ///< the file's bytes before, or none
        bool fails;          ///< the write runs out of room
        const char* after;   ///< what the file holds after, or none
    };
    const std::string copy(4096, 'p');
    const Row rows[] = {{nullptr, false, "p"}, {"old", false, "p"}, {nullptr, true, nullptr}, {"old", true, "old"}};
    const QString path = kStore + "\\in\\1.PDF";
    const QString host = "unc/host/parlow/email7/in/1.PDF";
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.before ? "over a file" : "new") + (row.fails ? ", failing" : ""));
        QFile::remove(tree.at(host));
        if (row.before)
            tree.write(host, row.before);
        // A file size limit makes the write fail as a full disk would, also for root.
        struct rlimit was {};
        getrlimit(RLIMIT_FSIZE, &was);
        const struct rlimit small {1024, was.rlim_max};
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        if (row.fails)
            setrlimit(RLIMIT_FSIZE, &small);
        const int error = errorNumberOf([&] { fs.writeNewOrReplace(path, copy); });
        setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, oldSignal);
        EXPECT_EQ(error != 0, row.fails);
        const std::string expected = !row.after ? "" : std::string(row.after) == "p" ? copy : row.after;
        EXPECT_EQ(QFile::exists(tree.at(host)), row.after != nullptr);
        if (row.after) {
            EXPECT_EQ(tree.read(host), expected);
        }
        EXPECT_EQ(QDir(tree.at("unc/host/parlow/email7/in")).entryList(QDir::Files | QDir::Hidden).size(),
                  row.after ? 1 : 0);
    }
}

// The delivery record grows a line at a time at the end of what the file holds.
TEST_F(FileSystemTest, AFileOpenedToAppendKeepsWhatItHeldAndGrowsAtItsEnd)
{
    tree.write("unc/host/parlow/email7/history/old.txt", "line 1\n");
    fs.makeFolder(kStore + "\\history");  // already there
    const std::unique_ptr<platform::LineFile> file = fs.openToAppend(kStore + "\\history\\old.txt");
    file->append("line 2\n");
    file->append("line 3\n");
    EXPECT_EQ(tree.read("unc/host/parlow/email7/history/old.txt"), "line 1\nline 2\nline 3\n");
    EXPECT_EQ(errorNumberOf([&] { fs.makeFolder(kStore + "\\no\\new"); }), Error::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs.openToAppend(kStore + "\\no\\a.txt"); }), Error::PathNotFound);
}

}  // namespace
