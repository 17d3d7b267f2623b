// Statement files written to do harm or that cannot be mailed: names and references that lead out
// of their folders, control characters, huge and binary files, links, files that vanish. Each one
// is set aside with its message, stays in the temp folder, and nothing is written anywhere.
#include "tests/reliability/run_rig.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <random>
#include <unistd.h>

using Op = reliability::FaultFileSystem::Op;
using reliability::RunRig;

namespace {

using testing_support::statementText;

std::string detailLines(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "D\t06/01/26\t" + std::to_string(100000 + i) + "\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n";
    return lines;
}

std::string garbage(size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string account(const std::string& text)
{
    return ": An Error has occured on Account " + text + ". Line ";
}

TEST(HostileInput, GivesItsMessageKeepsTheFileAndWritesNothing)
{
    const std::string good = statementText("555");
    const struct {
        const char* name;
        QString file;
        std::string bytes, message;
        /// Makes an entry that is no plain statement file, instead of dropping `bytes` as `file`.
        std::function<void(const QString& temp, const QString& outside)> make = {};
    } cases[] = {
        {"account with a slash", "1.txt", statementText("../../../etc/cron.d/x"), account("../../../etc/cron.d/x")},
        {"account with a backslash", "1.txt", statementText("..\\..\\in\\x"), account("..\\..\\in\\x")},
        {"account of two dots", "1.txt", statementText(".."), account("..")},
        {"account with a drive", "1.txt", statementText("c:x"), account("c:x")},
        {"account with an escape sequence", "1.txt", statementText("12\x1b[2J"), account("12\x1b[2J")},
        {"reference with a slash", "1.txt", statementText("555", {}, {}, "../../../tmp"), account("555")},
        {"reference of two dots", "1.txt", statementText("555", {}, {}, ".."), account("555")},
        {"reference with a backslash", "1.txt", statementText("555", {}, {}, "0105\\..\\..\\x"), account("555")},
        {"reference with a control character", "1.txt", statementText("555", {}, {}, "01\x7f" "05"), account("555")},
        {"reference with an attachment separator", "1.txt", statementText("555", {}, {}, "0105|evil.pdf"), account("555")},
        {"binary garbage", "1.txt", garbage(64 * 1024), account("")},
        {"a short record", "1.txt", statementText("555", "D\t1\r\n"),
         "temp\\1.txt: An Error has occured on Account 555. Line 5 of \\\\host\\parlow\\email7\\statements\\temp\\1.txt "},
        {"garbage after a good start", "1.txt", good + garbage(4096), account("555")},
        {"100,000 lines ending in a short record", "1.txt", statementText("555", detailLines(99993) + "D\t1\r\n"),
         account("555")},
        {"file name with line ends", "1\r\nBCC=thief@evil.example\r\n.txt", good,
         "temp\\1\\x0d\\x0aBCC=thief@evil.example\\x0d\\x0a.txt: its name holds a control character"},
        {"file name with an attachment separator", "1|2.txt", good, "name holds '|'"},
        {"file name outside Windows-1252", "\u0142\u00f3d\u017a.txt", good,
         "temp\\\\xc5\\x82\\xc3\\xb3d\\xc5\\xba.txt: its name holds characters that Windows-1252 cannot write"},
        {"empty account", "1.txt", statementText(""), "its account number (field 6 of the H record) is empty"},
        {"blank account", "1.txt", statementText("   "), "its account number (field 6 of the H record) is empty"},
        {"no H record", "1.txt", "*\tT\t1\t2\t3\t4\t5\t6\r\nF\t1\t2\t3\t4\t5\t6\t7\t8\r\n", "it has no H record"},
        {"no F record", "1.txt", good.substr(0, good.rfind("F\t")),
         "temp\\1.txt: it has no F record, its totals: the accounting system may still be writing it. It stays"},
        {"name that is not UTF-8", {}, {}, "temp\\12\\xfc.txt: its name is not valid UTF-8",
         [](const QString& temp, const QString&) {
             const int fd = ::open((QFile::encodeName(temp) + "/12\xfc.txt").constData(), O_WRONLY | O_CREAT, 0644);
             ::write(fd, "H\r\n", 3);
             ::close(fd);
         }},
        {"symbolic link", {}, {}, "temp\\1.txt: it is a symbolic link",
         [](const QString& temp, const QString& outside) { QFile::link(outside, temp + "/1.txt"); }},
        {"folder", {}, {}, "temp\\1.txt: it is not a regular file",
         [](const QString& temp, const QString&) { QDir(temp).mkdir("1.txt"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.share.write("outside.txt", good);
        if (c.make)
            c.make(rig.storeFolder("statements/temp"), rig.share.at("outside.txt"));
        else
            rig.share.drop(c.file, c.bytes);

        EXPECT_EQ(rig.once(), 1);
        EXPECT_EQ(rig.err.str().rfind("Set aside \\\\host\\parlow\\email7\\statements\\temp\\", 0), 0u) << rig.err.str();
        EXPECT_NE(rig.err.str().find(c.message), std::string::npos) << rig.err.str();
        EXPECT_TRUE(c.make || rig.share.readStore("statements/temp/" + c.file) == c.bytes);
        EXPECT_EQ(rig.changed, QStringList());  // every write, copy, move and removal on the share
    }
}

TEST(HostileInput, ABadStatementIsReportedOnceAndNeverStopsTheOthers)
{
    RunRig rig;
    const std::string bad = statementText("555", "D\t1\r\n");
    rig.share.drop("0.txt", bad);
    rig.drop(10);
    EXPECT_EQ(rig.watch(2500), 0);
    EXPECT_TRUE(rig.allDone()) << rig.problems();
    EXPECT_EQ(rig.share.readStore("statements/temp/0.txt"), bad);
    EXPECT_EQ(QDir(rig.storeFolder("in")).entryList(QDir::Files).size(), 10);
    const std::string err = rig.err.str();
    EXPECT_EQ(err.find("Set aside"), err.rfind("Set aside")) << err;

    // Mended, it is taken at the next look.
    rig.share.drop("0.txt", statementText("555"));
    EXPECT_EQ(rig.once(), 0) << rig.err.str();
    EXPECT_TRUE(rig.share.inStore("in/STMT_555.TXT"));
}

TEST(HostileInput, AStatementOfOneHundredThousandLinesIsFiledWhole)
{
    RunRig rig;
    rig.share.drop("555.txt", statementText("555", detailLines(99994)));
    ASSERT_EQ(rig.once(), 0) << rig.err.str();
    const std::string pdf = rig.share.readStore("statements/out/555.0105.PDF");
    EXPECT_GT(pdf.size(), 1000000u);
    EXPECT_NE(rig.share.readStore("in/STMT_555.TXT").find("ATTACH=statements\\out\\555.0105.PDF"), std::string::npos);
    EXPECT_FALSE(rig.share.inStore("statements/temp/555.txt"));
    for (const QString& path : rig.changed)
        EXPECT_TRUE(path.startsWith("\\\\host\\parlow\\email7\\") || path.startsWith("\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\"))
            << path.toStdString();
}

// Another run took it, or its writer removed it: nothing of it is this run's business any more.
TEST(HostileInput, AFileGoneBetweenListingAndReadingIsLeftAlone)
{
    RunRig rig;
    rig.drop(1);
    rig.inject = [&](Op op, const QString& path) {
        if (op == Op::Read && path.endsWith("\\1.txt"))
            QFile::remove(rig.storeFolder("statements/temp/1.txt"));
    };
    EXPECT_EQ(rig.once(), 0);
    EXPECT_EQ(rig.err.str() + rig.out.str(), "");
    EXPECT_EQ(rig.changed, QStringList());
}

}  // namespace
