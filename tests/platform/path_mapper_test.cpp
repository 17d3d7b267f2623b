#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <chrono>
#include <thread>
#include <gtest/gtest.h>

using platform::PathMapper;
using platform::PathRoots;
using testing_support::TempTree;

namespace {

class PathMapperTest : public ::testing::Test {
protected:
    PathMapperTest() : mapper(PathRoots{tree.at("unc"), tree.at("home"), tree.at("cache")}) {}

    QString host(const QString& text) { return mapper.toHost(text).value_or("<none>"); }

    TempTree tree;
    PathMapper mapper;
};

TEST_F(PathMapperTest, MapsEachKindOfWindowsPath)
{
    tree.mkdir("unc");
    struct Case {
        QString text;
        QString expected;
    } cases[] = {
        {"\\\\host\\parlow\\email7\\statements\\temp",
         tree.at("unc/host/parlow/email7/statements/temp")},
        {"\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\", tree.at("unc/host/tarnlnk/TVK7/STATEMENTS/0105/")},
        {"C:\\Program Files\\Torvik\\Stmtlogo", tree.at("home/Stmtlogo")},
        {"c:\\program files\\torvik\\logowide", tree.at("home/logowide")},
        {"c:\\LOGOPIC.BMP", tree.at("cache/huevane/logopic.bmp")},
        {"/home/clerk/terms.pdf", "/home/clerk/terms.pdf"},
        // A doubled backslash reads as one, as on the original file system.
        {"\\\\host\\parlow\\email7\\\\in", tree.at("unc/host/parlow/email7/in")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host(c.text), c.expected) << qPrintable(c.text);
}

TEST_F(PathMapperTest, RefusesTextThatNamesNoPlaceOrLeavesItsRoot)
{
    for (const char* text : {"\\\\\\parlow\\email7",  // empty server
                             "\\\\host",              // no share
                             "\\\\host\\parlow\\..\\..\\etc\\passwd",
                             "\\\\host\\parlow\\email7\\.\\in",
                             "d:\\statements\\12345.txt",
                             "c:\\program files\\torvikx\\logo",
                             "relative\\path"})
        EXPECT_FALSE(mapper.toHost(text).has_value()) << text;
}

TEST_F(PathMapperTest, ResolvesEachComponentInAnyLetterCase)
{
    tree.mkdir("unc/Host/parlow/email7/statements/temp");
    tree.write("unc/Host/parlow/email7/statements/temp/12345.TXT");
    EXPECT_EQ(host("\\\\HOST\\PARLOW\\Email7\\STATEMENTS\\Temp\\12345.txt"),
              tree.at("unc/Host/parlow/email7/statements/temp/12345.TXT"));

    // Names another program drops are found however soon after a reading or this program's own
    // files they come: by a question of how the file stands at once, by a path at the next look.
    const QString temp = "unc/Host/parlow/email7/statements/temp/";
    tree.write(temp + "OTHER.TXT");
    EXPECT_EQ(host("\\\\host\\parlow\\email7\\statements\\temp\\other.txt"), tree.at(temp + "OTHER.TXT"));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    tree.write(temp + "own.pdf");
    mapper.noteCreated(QFile::encodeName(tree.at(temp + "own.pdf")));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    tree.write(temp + "THIRD.TXT");
    platform::EntryLook look;
    EXPECT_EQ(mapper.toHost("\\\\host\\parlow\\email7\\statements\\temp\\third.txt", &look), tree.at(temp + "THIRD.TXT"));
    mapper.newLook();
    EXPECT_EQ(host("\\\\host\\parlow\\email7\\statements\\temp\\third.txt"), tree.at(temp + "THIRD.TXT"));
}

TEST_F(PathMapperTest, AFolderIsResolvedOncePerLookAndAnewInTheNext)
{
    tree.mkdir("unc/host/share/Out");
    tree.write("unc/host/share/Out/a.pdf");
    EXPECT_EQ(host("\\\\host\\share\\OUT\\a.pdf"), tree.at("unc/host/share/Out/a.pdf"));
    // Spelt otherwise meanwhile: this look keeps what it found, the next finds the new spelling.
    ASSERT_TRUE(QFile::rename(tree.at("unc/host/share/Out"), tree.at("unc/host/share/oUT")));
    EXPECT_EQ(host("\\\\host\\share\\OUT\\b.pdf"), tree.at("unc/host/share/Out/b.pdf"));
    mapper.newLook();
    EXPECT_EQ(host("\\\\host\\share\\OUT\\b.pdf"), tree.at("unc/host/share/oUT/b.pdf"));
    EXPECT_EQ(host("\\\\host\\share\\OUT\\A.PDF"), tree.at("unc/host/share/oUT/a.pdf"));
}

TEST_F(PathMapperTest, PrefersTheExactNameAndCreatesNewNamesAsWritten)
{
    tree.mkdir("unc/host/share/Out");
    tree.mkdir("unc/host/share/out");
    EXPECT_EQ(host("\\\\host\\share\\out\\New.PDF"), tree.at("unc/host/share/out/New.PDF"));
    EXPECT_EQ(host("\\\\host\\share\\Out\\x"), tree.at("unc/host/share/Out/x"));
    EXPECT_EQ(host("\\\\host\\share\\missing\\Deeper\\x"), tree.at("unc/host/share/missing/Deeper/x"));
}

TEST_F(PathMapperTest, MessagesNameTheWindowsTextThenTheFileOnThisMachine)
{
    tree.write("home/Logo");
    platform::LocalFileSystem fs(mapper);
    EXPECT_EQ(fs.withHostPath("c:\\program files\\torvik\\logo"),
              "c:\\program files\\torvik\\logo (" + tree.at("home/Logo") + ")");
    for (const char* unmapped : {"d:\\x.pdf", "/home/clerk/x.pdf"})
        EXPECT_EQ(fs.withHostPath(unmapped), unmapped);
}

}  // namespace
