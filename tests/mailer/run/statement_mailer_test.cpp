#include "mailer/run/headless_run.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "tests/support/pdf_text.h"
#include "tests/reliability/fault_file_system.h"
#include "tests/support/statement_share.h"

#include <QDirIterator>

#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <sstream>

using testing_support::PdfText;
using testing_support::StatementShare;
using testing_support::statementText;

namespace {

/// A store share with `brevix --once` runs on it.
struct ShareRun {
    ShareRun() : fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")}))
    {
        run.ServerName = "host";
        run.StoreNumber = "7";
        settings::SettingsStore store(share.at("config"));
        store.save(settings::Host, "host");
        store.save(settings::Directory, "7");
        store.save(settings::SettleMs, "0");
    }

    /// Runs `brevix --once` through `through`, the share's own file system unless given; returns its status.
    int once(platform::FileSystem* through = nullptr)
    {
        out.str({});
        err.str({});
        std::atomic<bool> stop{false};
        return run::runHeadless({}, run, through ? *through : fs, settings::SettingsStore(share.at("config")), out, err,
                                stop);
    }

    StatementShare share;
    platform::LocalFileSystem fs;
    input::modBrevix run;
    std::ostringstream out, err;
};

class StatementMailerTest : public ::testing::Test, public ShareRun {};

// One run over statements of every kind: mailed, named in any case, not to be mailed, with invoice
// details and with a detail file that names no invoice.
TEST_F(StatementMailerTest, FilesEveryKindOfStatementThenDeletesItsInput)
{
    share.drop("12345.txt", statementText("12345"));
    share.drop("222.TXT", statementText("222"));
    share.drop("333.Txt", statementText("333"));
    share.drop("4.txt", statementText("4", {}, "A"));
    share.drop("1.txt", statementText("1"));
    share.dropDetails("1det.txt", "H\t1\tShip One\t\t\t\t90.00\t\t0.00\t\t7.20\t\t97.20\t\r\n"
                                  "D\tINV-778\t06/01/26\tPO-9\t1\tHinge\t2\t45.00\t\t90.00\t\tY\r\n");
    share.drop("2.txt", statementText("2"));
    share.dropDetails("2det.txt", "X\tnot an invoice\r\n");
    ASSERT_EQ(once(), 0) << err.str();

    const std::string pdf = share.readStore("statements/out/12345.0105.PDF");
    EXPECT_EQ(share.read("unc/host/tarnlnk/TVK7/STATEMENTS/0105/12345.0105.PDF"), pdf);
    EXPECT_EQ(PdfText(pdf).pages, 1);
    EXPECT_NE(PdfText(pdf).text.find("Acme Corp"), std::string::npos);
    EXPECT_EQ(PdfText(pdf).title, "Statement 12345 of 06/30/26");
    EXPECT_EQ(share.readStore("in/STMT_12345.TXT"),
              "[EMAIL]\r\nMAILTO=ap@acme.example\r\nFROM=ar@torvik.example\r\n"
              "SUBJECT=TORVIK HARDWARE STATEMENT 0105\r\nATTACH=statements\\out\\12345.0105.PDF\r\n");
    EXPECT_NE(out.str().find("12345.txt\taccount 12345\t\\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF\tmailed\n"),
              std::string::npos);
    for (const char* account : {"222", "333"})
        EXPECT_NE(share.readStore(QString("in/STMT_%1.TXT").arg(account)).find(std::string("ATTACH=statements\\out\\") + account + ".0105.PDF"),
                  std::string::npos)
            << account;
    // Not to be mailed: only the archive copy stays.
    EXPECT_FALSE(share.inStore("statements/out/4.0105.PDF") || share.inStore("in/STMT_4.TXT"));
    EXPECT_TRUE(share.exists("unc/host/tarnlnk/TVK7/STATEMENTS/0105/4.0105.PDF"));
    const PdfText with(share.readStore("statements/out/1.0105.PDF"));
    EXPECT_EQ(with.pages, 2);
    EXPECT_NE(with.text.find("INV-778"), std::string::npos);
    EXPECT_EQ(with.title, "Statement 1 of 06/30/26 with invoice details");
    const PdfText without(share.readStore("statements/out/2.0105.PDF"));
    EXPECT_EQ(without.pages, 1);
    EXPECT_EQ(without.title, "Statement 2 of 06/30/26");
    for (const char* folder : {"\\\\host\\parlow\\email7\\statements\\temp", "\\\\host\\parlow\\email7\\statements\\tempdet"})
        EXPECT_TRUE(fs.list(folder, "*").isEmpty()) << folder;
}

TEST_F(StatementMailerTest, AFailureNamesTheStatementAndLeavesItInPlace)
{
    QDir(share.at(share.store("statements/out"))).removeRecursively();
    share.drop("12345.txt", statementText("12345"));
    EXPECT_EQ(once(), 1);
    // The files are named where this share lies, not where a default mapping would put them.
    EXPECT_EQ(QString::fromStdString(err.str()),
              "Error 76: Path not found on \\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF ("
                  + share.at(share.store("statements/out/12345.0105.PDF")) + ")\n"
                  "while processing the statement \\\\host\\parlow\\email7\\statements\\temp\\12345.txt ("
                  + share.at(share.store("statements/temp/12345.txt")) + ").\n"
                  "The statement file is still in the temp folder and will be processed again when Brevix is started "
                  "after the cause is mended.\n");
    EXPECT_TRUE(share.inStore("statements/temp/12345.txt"));
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\in", "*").isEmpty());
}

// The line of a statement mailed before the error that ends its batch is not lost with the batch.
TEST_F(StatementMailerTest, WhatWasMailedBeforeAnErrorIsToldWithIt)
{
    share.drop("1.txt", statementText("1"));
    share.drop("2.txt", statementText("2"));
    reliability::FaultFileSystem faults(fs);
    QSet<QString> pdfs;
    faults.before = [&](reliability::FaultFileSystem::Op op, const QString& path) {
        if (op == reliability::FaultFileSystem::Op::Write && path.contains("\\out\\.") && (pdfs << path).size() == 2)
            throw platform::Error(platform::Error::DiskFull, path);
    };
    EXPECT_EQ(once(&faults), 1);
    const QStringList mailed = fs.list("\\\\host\\parlow\\email7\\in", "*");
    ASSERT_EQ(mailed.size(), 1);
    const std::string first = mailed.front().mid(5, 1).toStdString() + ".txt\taccount ";
    EXPECT_EQ(out.str().rfind(first, 0), 0u) << out.str();
    EXPECT_NE(out.str().find("\tmailed\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("Error 61"), std::string::npos) << err.str();
}

TEST_F(StatementMailerTest, NoStatementIsMailedWithThePreviousStatementsValues)
{
    share.drop("1.txt", statementText("1"));
    ASSERT_EQ(once(), 0) << err.str();
    // A statement without E record: nothing of statement 1 may reach its request.
    share.drop("2.txt", "*\tOTHER STORE\t\t\t\t\t\t\r\nH\tB\t\t\t\t\t2\t0\r\nF\t1\t2\t3\t4\t5\t6\t7\t8\r\n");
    ASSERT_EQ(once(), 0) << err.str();
    EXPECT_EQ(share.readStore("in/STMT_2.TXT"),
              "[EMAIL]\r\nMAILTO=\r\nSUBJECT=OTHER STORE STATEMENT \r\nATTACH=statements\\out\\2..PDF\r\n");
}

TEST_F(StatementMailerTest, RenderWritesOnePdfAndTouchesNothingElse)
{
    share.drop("12345.txt", statementText("12345"));
    share.dropDetails("12345det.txt", "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n");
    settings::SettingsStore store(share.at("config"));
    std::ostringstream error;
    const QString statement = share.at(share.store("statements/temp/12345.txt"));
    ASSERT_EQ(run::renderStatement(statement, share.at("preview.pdf"), run, fs, store, error), 0) << error.str();
    EXPECT_EQ(PdfText(share.read("preview.pdf")).pages, 2);
    EXPECT_EQ(PdfText(share.read("preview.pdf")).title, "Statement 12345 of 06/30/26 with invoice details");
    EXPECT_TRUE(share.inStore("statements/temp/12345.txt"));
    EXPECT_TRUE(share.inStore("statements/tempdet/12345det.txt"));
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\statements\\out", "*").isEmpty());

    share.write("bad.txt", "H\tshort\r\n");
    EXPECT_EQ(run::renderStatement(share.at("bad.txt"), share.at("bad.pdf"), run, fs, store, error), 1);
    EXPECT_EQ(error.str(), "An Error has occured on Account \n");
    EXPECT_FALSE(share.exists("bad.pdf"));
}

// Statements rendered on all cores are filed, set aside, put off and mailed as one by one: the same
// messages and the same bytes in every folder.
TEST(StatementMailerBatch, OnAllCoresFilesWhatOneByOneFiles)
{
    struct Filed {
        int status;
        std::string messages;
        std::map<std::string, std::string> files;
    };
    const auto filed = [](bool oneByOne) {
        ShareRun at;
        const StatementShare& share = at.share;
        share.drop("1.txt", statementText("1"));
        share.drop("2.txt", statementText("2", {}, "A"));  // not to be mailed
        share.drop("3.txt", statementText("1"));           // account 1 again: waits for the next batch
        share.drop("4.txt", "H\tshort\r\n");               // set aside
        std::string lines;
        for (int i = 0; i < 120; ++i)
            lines += "D\t06/01/26\t" + std::to_string(2000 + i) + "\tNuts\t1.00\t0.00\t1.00\t0.00\t0.00\t0.00\t1.00\r\n";
        share.drop("5.txt", statementText("5", lines));
        share.drop("6.txt", statementText("6"));
        share.dropDetails("6det.txt", "H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-1\t\t\t1\tX\t1\t1\t\t1\t\t\r\n");
        for (int i = 7; i <= 12; ++i)
            share.drop(QString("%1.txt").arg(i), statementText(std::to_string(i)));
        reliability::FaultFileSystem calledInTurn(at.fs);
        const int status = at.once(oneByOne ? &calledInTurn : nullptr);
        // Both shares' messages name the same files, each where its share lies.
        Filed result{status, (QString::fromStdString(at.out.str() + at.err.str())).replace(share.path(), "SHARE").toStdString(), {}};
        for (QDirIterator it(share.at("unc"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next().mid(share.path().size() + 1);
            // The lock, the heartbeats and the delivery record tell times and runs.
            if (!path.contains("/.") && !path.contains("/history/"))
                result.files[path.toStdString()] = share.read(path);
        }
        return result;
    };
    const Filed together = filed(false);
    const Filed oneByOne = filed(true);
    EXPECT_EQ(together.status, oneByOne.status);
    EXPECT_EQ(together.messages, oneByOne.messages);
    EXPECT_NE(together.messages.find("3.txt\taccount 1\t"), std::string::npos) << together.messages;
    std::vector<std::string> names, namesOneByOne;
    for (const auto& [name, bytes] : together.files) {
        names.push_back(name);
        EXPECT_TRUE(oneByOne.files.count(name) && oneByOne.files.at(name) == bytes) << name;
    }
    for (const auto& file : oneByOne.files)
        namesOneByOne.push_back(file.first);
    EXPECT_EQ(names, namesOneByOne);
}

}  // namespace
