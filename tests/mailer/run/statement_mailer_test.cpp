#include "mailer/run/headless_run.h"
#include "mailer/run/statement_mailer.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "tests/support/statement_share.h"

#include <gtest/gtest.h>
#include <poppler-document.h>
#include <poppler-page.h>

#include <memory>
#include <sstream>

using testing_support::StatementShare;
using testing_support::statementText;

namespace {

struct PdfText {
    int pages = 0;
    std::string text;
};

PdfText readPdf(const std::string& bytes)
{
    PdfText out;
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!doc)
        return out;
    out.pages = doc->pages();
    for (int i = 0; i < out.pages; ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        const auto utf8 = page->text().to_utf8();
        out.text += std::string(utf8.begin(), utf8.end()) + "\f";
    }
    return out;
}

class StatementMailerTest : public ::testing::Test {
protected:
    StatementMailerTest() : fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")}))
    {
        run.ServerName = "host";
        run.StoreNumber = "7";
    }

    /// Runs `brevix --once` on the share; returns its status.
    int once()
    {
        settings::SettingsStore store(share.at("config"));
        store.save(settings::Host, "host");
        store.save(settings::Directory, "7");
        store.save(settings::SettleMs, "0");
        out.str({});
        err.str({});
        std::atomic<bool> stop{false};
        return run::runHeadless({}, run, fs, store, out, err, stop);
    }

    StatementShare share;
    platform::LocalFileSystem fs;
    input::modBrevix run;
    std::ostringstream out, err;
};

TEST_F(StatementMailerTest, FilesAndMailsAStatementThenDeletesItsInput)
{
    share.drop("12345.txt", statementText("12345"));
    ASSERT_EQ(once(), 0) << err.str();

    EXPECT_FALSE(share.inStore("statements/temp/12345.txt"));
    const std::string pdf = share.readStore("statements/out/12345.0105.PDF");
    EXPECT_EQ(share.read("unc/host/tarnlnk/TVK7/STATEMENTS/0105/12345.0105.PDF"), pdf);
    const PdfText text = readPdf(pdf);
    EXPECT_EQ(text.pages, 1);
    EXPECT_NE(text.text.find("Acme Corp"), std::string::npos);
    EXPECT_EQ(share.readStore("in/STMT_12345.TXT"),
              "[EMAIL]\r\nMAILTO=ap@acme.example\r\nFROM=ar@torvik.example\r\n"
              "SUBJECT=TORVIK HARDWARE STATEMENT 0105\r\nATTACH=statements\\out\\12345.0105.PDF\r\n");
    EXPECT_EQ(out.str(), "12345.txt\taccount 12345\t\\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF\tmailed\n");
}

TEST_F(StatementMailerTest, NamesThePdfAfterTheFileWhateverTheCaseOfItsExtension)
{
    share.drop("111.txt", statementText("111"));
    share.drop("222.TXT", statementText("222"));
    share.drop("333.Txt", statementText("333"));
    ASSERT_EQ(once(), 0) << err.str();
    for (const char* account : {"111", "222", "333"}) {
        const QString pdf = QString("%1.0105.PDF").arg(account);
        EXPECT_TRUE(share.inStore("statements/out/" + pdf)) << account;
        EXPECT_NE(share.readStore(QString("in/STMT_%1.TXT").arg(account)).find("ATTACH=statements\\out\\" + pdf.toStdString()),
                  std::string::npos)
            << account;
    }
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\statements\\temp", "*").isEmpty());
}

TEST_F(StatementMailerTest, AStatementNotToBeMailedKeepsOnlyItsArchiveCopy)
{
    share.drop("12345.txt", statementText("12345", {}, "A"));
    ASSERT_EQ(once(), 0) << err.str();
    EXPECT_FALSE(share.inStore("statements/out/12345.0105.PDF"));
    EXPECT_TRUE(share.exists("unc/host/tarnlnk/TVK7/STATEMENTS/0105/12345.0105.PDF"));
    EXPECT_FALSE(share.inStore("in/STMT_12345.TXT"));
    EXPECT_FALSE(share.inStore("statements/temp/12345.txt"));
    EXPECT_NE(out.str().find("not mailed"), std::string::npos);
}

TEST_F(StatementMailerTest, InvoiceDetailsFollowTheStatementOnlyWhenTheyNameAnInvoice)
{
    const std::string header = "H\t1\tShip One\tShip Two\t\t\t90.00\t\t0.00\t\t7.20\t\t97.20\t\r\n";
    const std::string line = "D\tINV-778\t06/01/26\tPO-9\t1\tHinge\t2\t45.00\t\t90.00\t\tY\r\n";
    share.drop("1.txt", statementText("1"));
    share.dropDetails("1det.txt", header + line);
    share.drop("2.txt", statementText("2"));
    share.dropDetails("2det.txt", "X\tnot an invoice\r\n");
    ASSERT_EQ(once(), 0) << err.str();

    const PdfText with = readPdf(share.readStore("statements/out/1.0105.PDF"));
    EXPECT_EQ(with.pages, 2);
    EXPECT_NE(with.text.find("INV-778"), std::string::npos);
    EXPECT_EQ(readPdf(share.readStore("statements/out/2.0105.PDF")).pages, 1);
    EXPECT_FALSE(share.inStore("statements/tempdet/1det.txt"));
    EXPECT_FALSE(share.inStore("statements/tempdet/2det.txt"));
}

TEST_F(StatementMailerTest, AFailureNamesTheStatementAndLeavesItInPlace)
{
    QDir(share.at(share.store("statements/out"))).removeRecursively();
    share.drop("12345.txt", statementText("12345"));
    EXPECT_EQ(once(), 1);
    EXPECT_EQ(err.str(),
              "Error 76: Path not found on \\\\host\\parlow\\email7\\statements\\out\\12345.0105.PDF "
              "(/mnt/unc/host/parlow/email7/statements/out/12345.0105.PDF)\n"
              "while processing the statement \\\\host\\parlow\\email7\\statements\\temp\\12345.txt "
              "(/mnt/unc/host/parlow/email7/statements/temp/12345.txt).\n"
              "The statement file is still in the temp folder and will be processed again when Brevix is started "
              "after the cause is mended.\n");
    EXPECT_TRUE(share.inStore("statements/temp/12345.txt"));
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\in", "*").isEmpty());
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
    EXPECT_EQ(readPdf(share.read("preview.pdf")).pages, 2);
    EXPECT_TRUE(share.inStore("statements/temp/12345.txt"));
    EXPECT_TRUE(share.inStore("statements/tempdet/12345det.txt"));
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\statements\\out", "*").isEmpty());

    share.write("bad.txt", "H\tshort\r\n");
    EXPECT_EQ(run::renderStatement(share.at("bad.txt"), share.at("bad.pdf"), run, fs, store, error), 1);
    EXPECT_EQ(error.str(), "An Error has occured on Account \n");
    EXPECT_FALSE(share.exists("bad.pdf"));
}

}  // namespace
