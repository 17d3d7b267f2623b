// Statement files written to do harm: names and references that lead out of their folders,
// control characters, huge and binary files, files that vanish. Each one gives its message,
// stays in the temp folder, and nothing is written anywhere.
#include "tests/reliability/run_rig.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <random>

using Op = reliability::FaultFileSystem::Op;
using reliability::RunRig;

namespace {

const std::string kStar = "*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t\r\n";
const std::string kF = "F\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t10.00\r\n";

std::string statement(const std::string& account, const std::string& ref, const std::string& body = {})
{
    return kStar + "H\tAcme Corp\t1 Main St\tEugene OR\t\t06/30/26\t" + account + "\t150.00\r\n" + "E\tap@acme.example\t"
           + ref + "\tar@torvik.example\t\t\t\r\n" + body + kF;
}

std::string detailLines(int count)
{
    std::string lines;
    lines.reserve(static_cast<size_t>(count) * 70);
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

/// Every file below the share's root with its size: what a run may not change.
QMap<QString, qint64> snapshot(const RunRig& rig)
{
    QMap<QString, qint64> files;
    QDirIterator it(rig.share.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.insert(it.filePath(), it.fileInfo().size());
    }
    return files;
}

std::string account(const std::string& text)
{
    return "An Error has occured on Account " + text + "\n";
}

TEST(HostileInput, GivesItsMessageKeepsTheFileAndWritesNothing)
{
    const struct {
        const char* name;
        QString file;
        std::string bytes, message;
    } cases[] = {
        {"account with a slash", "1.txt", statement("../../../etc/cron.d/x", "0105"), account("../../../etc/cron.d/x")},
        {"account with a backslash", "1.txt", statement("..\\..\\in\\x", "0105"), account("..\\..\\in\\x")},
        {"account of two dots", "1.txt", statement("..", "0105"), account("..")},
        {"account with a drive", "1.txt", statement("c:x", "0105"), account("c:x")},
        {"account with an escape sequence", "1.txt", statement("12\x1b[2J", "0105"), account("12\x1b[2J")},
        {"reference with a slash", "1.txt", statement("555", "../../../tmp"), account("555")},
        {"reference of two dots", "1.txt", statement("555", ".."), account("555")},
        {"reference with a backslash", "1.txt", statement("555", "0105\\..\\..\\x"), account("555")},
        {"reference with a control character", "1.txt", statement("555", "01\x7f" "05"), account("555")},
        {"reference with an attachment separator", "1.txt", statement("555", "0105|evil.pdf"), account("555")},
        {"binary garbage", "1.txt", garbage(64 * 1024), account("")},
        {"garbage after a good start", "1.txt", statement("555", "0105") + garbage(4096), account("555")},
        {"100,000 lines ending in a short record", "1.txt",
         statement("555", "0105", detailLines(99994) + "D\t1\r\n"), account("555")},
        {"file name with line ends", "1\r\nBCC=thief@evil.example\r\n.txt", statement("555", "0105"),
         "Error 75: Path/File access error\nwhile processing the statement "
         "\\\\host\\parlow\\email7\\statements\\temp\\1\r\nBCC=thief@evil.example\r\n.txt "
         "(/mnt/unc/host/parlow/email7/statements/temp/1\r\nBCC=thief@evil.example\r\n.txt).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.share.drop(c.file, c.bytes);
        const QMap<QString, qint64> before = snapshot(rig);

        EXPECT_EQ(rig.once(), 1);
        EXPECT_EQ(rig.err.str().substr(0, c.message.size()), c.message);
        EXPECT_TRUE(rig.share.readStore("statements/temp/" + c.file) == c.bytes);
        EXPECT_EQ(rig.changed, QStringList());
        EXPECT_EQ(snapshot(rig), before);
    }
}

TEST(HostileInput, AStatementOfOneHundredThousandLinesIsFiledWhole)
{
    RunRig rig;
    rig.share.drop("555.txt", statement("555", "0105", detailLines(99995)));
    ASSERT_EQ(rig.once(), 0) << rig.err.str();
    const std::string pdf = rig.share.readStore("statements/out/555.0105.PDF");
    EXPECT_GT(pdf.size(), 1000000u);
    EXPECT_NE(rig.share.readStore("in/STMT_555.TXT").find("ATTACH=statements\\out\\555.0105.PDF"), std::string::npos);
    EXPECT_FALSE(rig.share.inStore("statements/temp/555.txt"));
    for (const QString& path : rig.changed)
        EXPECT_TRUE(path.startsWith("\\\\host\\parlow\\email7\\") || path.startsWith("\\\\host\\tarnlnk\\TVK7\\STATEMENTS\\0105\\"))
            << path.toStdString();
}

TEST(HostileInput, AFileDeletedBetweenListingAndReadingEndsTheRunWithItsName)
{
    RunRig rig;
    rig.drop(1);
    rig.inject = [&](Op op, const QString& path) {
        if (op == Op::Read && path.endsWith("\\1.txt"))
            QFile::remove(rig.storeFolder("statements/temp/1.txt"));
    };
    EXPECT_EQ(rig.once(), 1);
    const std::string message =
        "Error 53: File not found\nwhile processing the statement \\\\host\\parlow\\email7\\statements\\temp\\1.txt "
        "(/mnt/unc/host/parlow/email7/statements/temp/1.txt).\n"
        "The statement file is no longer in the temp folder.\n";
    EXPECT_EQ(rig.err.str(), message);
    EXPECT_EQ(rig.changed, QStringList());
    rig.inject = nullptr;
    EXPECT_EQ(rig.once(), 0);
    EXPECT_EQ(rig.out.str(), "");
}

}  // namespace
