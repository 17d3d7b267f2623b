#include "platform/error.h"
#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

using platform::Error;
using platform::LocalFileSystem;
using platform::PathMapper;
using platform::PathRoots;
using testing_support::TempTree;

namespace {

const QString kStore = "\\\\host\\parlow\\email7";

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() : fs(PathMapper(PathRoots{tree.at("unc"), tree.at("home"), tree.at("cache")}))
    {
        tree.mkdir("unc/host/parlow/email7/statements/temp");
        tree.mkdir("unc/host/parlow/email7/in");
    }

    /// The error number a call raises, or 0.
    static int errorOf(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const Error& e) {
            return e.number();
        }
        return 0;
    }

    TempTree tree;
    LocalFileSystem fs;
};

TEST_F(FileSystemTest, ListsOrdinaryFilesMatchingInAnyCase)
{
    const QString temp = "unc/host/parlow/email7/statements/temp/";
    tree.write(temp + "1.txt");
    tree.write(temp + "2.TXT");
    tree.write(temp + "3.Txt");
    tree.write(temp + "4.pdf");
    tree.write(temp + ".partial.txt");
    tree.mkdir(temp + "folder.txt");

    QStringList names = fs.list(kStore + "\\STATEMENTS\\TEMP", "*.txt");
    names.sort();
    EXPECT_EQ(names, QStringList({"1.txt", "2.TXT", "3.Txt"}));
    EXPECT_TRUE(fs.list(kStore + "\\statements\\nowhere", "*.txt").isEmpty());
    EXPECT_TRUE(names.contains(fs.firstMatch(kStore + "\\statements\\temp", "*.TXT")));
    EXPECT_EQ(fs.firstMatch(kStore + "\\statements\\temp", "*.doc"), "");
    EXPECT_TRUE(fs.list("\\\\\\parlow\\email7\\statements\\temp", "*.txt").isEmpty());
}

TEST_F(FileSystemTest, TellsFilesFromFolders)
{
    tree.write("unc/host/parlow/email7/statements/temp/a.txt");
    EXPECT_TRUE(fs.isFile(kStore + "\\statements\\temp\\A.TXT"));
    EXPECT_FALSE(fs.isFolder(kStore + "\\statements\\temp\\a.txt"));
    EXPECT_TRUE(fs.isFolder(kStore + "\\Statements\\Temp"));
    EXPECT_TRUE(fs.exists(kStore + "\\statements\\temp"));
    EXPECT_FALSE(fs.isFile(kStore + "\\statements\\temp"));
    EXPECT_FALSE(fs.exists(kStore + "\\statements\\temp\\b.txt"));
}

TEST_F(FileSystemTest, WritesCrLfLinesDurablyAndReplaces)
{
    const QString path = kStore + "\\STMT_1.TXT";
    fs.writeLines(path, {"old", "text", "longer"});
    fs.writeLines(path, {"[EMAIL]", "MAILTO=a@b.c"});
    EXPECT_EQ(tree.read("unc/host/parlow/email7/STMT_1.TXT"), "[EMAIL]\r\nMAILTO=a@b.c\r\n");
    EXPECT_EQ(fs.readFile(path), "[EMAIL]\r\nMAILTO=a@b.c\r\n");
}

TEST_F(FileSystemTest, MovesAndCopiesReplacingTheTarget)
{
    tree.write("unc/host/parlow/email7/STMT_1.TXT", "new");
    tree.write("unc/host/parlow/email7/in/STMT_1.TXT", "waiting");
    fs.moveReplacing(kStore + "\\STMT_1.TXT", kStore + "\\in\\STMT_1.TXT");
    EXPECT_EQ(tree.read("unc/host/parlow/email7/in/STMT_1.TXT"), "new");
    EXPECT_FALSE(tree.exists("unc/host/parlow/email7/STMT_1.TXT"));

    tree.write("unc/host/parlow/email7/in/copy.pdf", "old copy");
    fs.copyReplacing(kStore + "\\in\\STMT_1.TXT", kStore + "\\in\\copy.pdf");
    EXPECT_EQ(tree.read("unc/host/parlow/email7/in/copy.pdf"), "new");
    EXPECT_EQ(tree.read("unc/host/parlow/email7/in/STMT_1.TXT"), "new");
}

TEST_F(FileSystemTest, RaisesTheOriginalErrorNumbers)
{
    tree.write("unc/host/parlow/email7/a.txt", "x");
    tree.mkdir("unc/host/parlow/email7/locked");
    ::chmod(qPrintable(tree.at("unc/host/parlow/email7/locked")), 0555);
    const bool root = ::geteuid() == 0;  // root writes into read-only folders

    EXPECT_EQ(errorOf([&] { fs.readFile(kStore + "\\missing.txt"); }), Error::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.readFile(kStore + "\\nofolder\\a.txt"); }), Error::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.remove(kStore + "\\missing.txt"); }), Error::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.writeFile(kStore + "\\nofolder\\a.txt", "x"); }), Error::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.copyReplacing(kStore + "\\a.txt", kStore + "\\nofolder\\a.txt"); }),
              Error::PathNotFound);
    EXPECT_EQ(errorOf([&] { fs.moveReplacing(kStore + "\\gone.txt", kStore + "\\in\\a.txt"); }),
              Error::FileNotFound);
    EXPECT_EQ(errorOf([&] { fs.readFile("\\\\\\parlow\\a.txt"); }), Error::PathNotFound);
    if (!root) {
        EXPECT_EQ(errorOf([&] { fs.writeFile(kStore + "\\locked\\a.txt", "x"); }),
                  Error::PermissionDenied);
    }
    // A failed write leaves nothing behind, not even its temporary.
    EXPECT_TRUE(fs.list(kStore + "\\nofolder", "*").isEmpty());
}

TEST(ErrorTest, CarriesNumberDescriptionAndFile)
{
    const Error e(Error::DiskFull, "\\\\h\\s\\x.pdf");
    EXPECT_EQ(e.number(), 61);
    EXPECT_EQ(e.description(), "Disk full");
    EXPECT_EQ(e.file(), "\\\\h\\s\\x.pdf");
    EXPECT_EQ(Error::numberForErrno(ENOSPC), 61);
    EXPECT_EQ(Error::numberForErrno(EACCES), 70);
    EXPECT_EQ(Error::numberForErrno(EIO), 57);
}

}  // namespace
