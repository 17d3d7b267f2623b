#include "mailer/run/frm_email_statements.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "platform/version.h"
#include "settings/settings_store.h"
#include "tests/support/statement_share.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <tuple>

using testing_support::StatementShare;
using testing_support::statementText;

namespace {

class WindowTest : public ::testing::Test {
protected:
    WindowTest()
        : fs(platform::PathMapper({share.uncRoot(), share.at("install"), share.at("cache")})),
          store(share.at("config"))
    {
        qputenv("TORVIK_UNC_ROOT", share.uncRoot().toUtf8());
    }
    ~WindowTest() override { qunsetenv("TORVIK_UNC_ROOT"); }

    /// A window on the share, with the stored values given.
    std::unique_ptr<run::frmEmailStatements> open(const QString& host, const QString& directory)
    {
        if (!host.isNull())
            store.save(settings::Host, host);
        if (!directory.isNull())
            store.save(settings::Directory, directory);
        auto window = std::make_unique<run::frmEmailStatements>(run, fs, store, prompt, [this] {
            ++pickerOpened;
            run.AttachList = attachList;
        });
        window->Form_Load();
        return window;
    }

    StatementShare share;
    platform::LocalFileSystem fs;
    settings::SettingsStore store;
    platform::RecordingPrompt prompt;
    input::modBrevix run;
    int pickerOpened = 0;
    QString attachList;
};

TEST_F(WindowTest, StartUpTellsTheOperatorWhatIsMissing)
{
    struct Case {
        const char* name;
        QString host, directory, colour;
        std::vector<QString> texts;
    } cases[] = {
        {"reachable store", "host", "7", {}, {}},
        {"defaults", QString(), QString(), {},
         {"Cannot connect to \\\\localhost\\parlow\\email1\\statements\\temp ("
          + share.at("unc/localhost/parlow/email1/statements/temp") + ")"}},
        {"empty store number", "host", "", {}, {"Set Server Name and Store Number"}},
        {"unreadable colour", "host", "7", "blue", {"Error: Type mismatch at Line: 1 in Brevix."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(share.at("config")).removeRecursively();
        if (!c.colour.isNull())
            store.save(settings::BackGroundColorSTMT, c.colour);
        prompt.shown.clear();
        run = {};
        auto window = open(c.host, c.directory);
        EXPECT_EQ(prompt.texts(), c.texts);
        for (const auto& shown : prompt.shown)
            EXPECT_EQ(shown.title, "Brevix");
        // The trap skips the rest: no version in the caption, the colours not set, the boxes empty.
        const bool trapped = !c.colour.isNull();
        EXPECT_EQ(window->windowTitle(), trapped ? "Statement Email" : "Statement Email   " + platform::versionText());
        EXPECT_EQ(std::make_tuple(run.StmtForeColor, run.StmtBackColor, run.StmtShadeColor),
                  std::make_tuple(0, trapped ? -1 : 15329791, -1));
        EXPECT_EQ(window->txtServer->text(), trapped ? "" : run.ServerName);
    }
}

// The access keys, pressed on the real window: tests/gui/operator_slips.sh.
TEST_F(WindowTest, ProcessPollsOnlyAReachableFolderAndExitSavesTheBoxes)
{
    share.drop("12345.txt", statementText("12345"));
    share.drop("notes.doc", "");
    auto window = open("host", "7");
    EXPECT_EQ(window->File1->count() == 1 ? window->File1->item(0)->text() : "?", "12345.txt");
    EXPECT_FALSE(window->Label1->isVisibleTo(window.get()));
    QDir(share.at("config")).removeRecursively();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    window->txtServer->setText("elsewhere");
    window->btnProcess->click();
    EXPECT_EQ(prompt.texts().back(), "Cannot Connect to: \\\\elsewhere\\parlow\\email7\\statements\\temp ("
                                         + share.at("unc/elsewhere/parlow/email7/statements/temp") + ")");
    EXPECT_TRUE(!window->Timer1->isActive() && window->btnProcess->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), window->txtServer);
    EXPECT_EQ(store.get(settings::Host, "-"), "-");

    window->txtServer->setText("host");
    window->btnProcess->click();
    EXPECT_TRUE(window->Timer1->isActive() && !window->btnProcess->isEnabled());
    EXPECT_EQ(window->Timer1->interval(), 1000);
    EXPECT_TRUE(window->Label1->isVisibleTo(window.get()));
    EXPECT_EQ(store.get(settings::Host, "-"), "host");

    store.save(settings::Directory, "stale");  // Exit saves the boxes as they read
    prompt.answers = {true};
    window->btnExit->click();
    EXPECT_EQ(prompt.texts().back(), "There are Files to Process.  Are you Sure you want to Exit?");
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(store.get(settings::Host, "-") + "/" + store.get(settings::Directory, "-"), "host/7");
}

TEST_F(WindowTest, ATickMailsEveryWaitingStatementWithTheListedAttachments)
{
    auto window = open("host", "7");
    for (const QString list : {"", "only.pdf\t", "terms.pdf\tprices.pdf\t"}) {
        attachList = list;
        window->btnAttach_Click();
        EXPECT_EQ(window->lstAttach->count(), list.count('\t')) << qPrintable(list);
    }
    EXPECT_EQ(pickerOpened, 3);
    share.drop("1.txt", statementText("1"));
    share.drop("2.txt", statementText("2"));
    window->Timer1_Timer();
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(window->txtAccount->text() + QString::number(window->File1->count()), "0");
    EXPECT_NE(share.readStore("in/STMT_2.TXT")
                  .find("ATTACH=statements\\out\\2.0105.PDF|statements\\out\\terms.pdf|statements\\out\\prices.pdf\r\n"),
              std::string::npos);
}

TEST_F(WindowTest, ATickThatFailsShowsTheErrorEndsTheProgramAndKeepsTheStatement)
{
    auto window = open("host", "7");
    share.drop("12345.txt", "H\ta\tb\tc\td\te\t1234567\tg\r\nD\tshort\r\n");
    window->Timer1_Timer();
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(window->exitCode(), 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].title + ": " + prompt.shown[0].text, "Error: An Error has occured on Account 1234567");
    EXPECT_TRUE(share.inStore("statements/temp/12345.txt"));
}

TEST_F(WindowTest, AStatementWithoutTotalsIsPassedOverInSilenceUntilItIsComplete)
{
    auto window = open("host", "7");
    const std::string whole = statementText("1");
    share.drop("1.txt", whole.substr(0, whole.rfind("F\t")));
    window->Timer1_Timer();
    window->Timer1_Timer();
    EXPECT_TRUE(!window->ended() && prompt.shown.empty() && share.inStore("statements/temp/1.txt"));

    share.drop("1.txt", whole);
    window->Timer1_Timer();
    EXPECT_TRUE(share.inStore("in/STMT_1.TXT") && !share.inStore("statements/temp/1.txt"));
}

TEST_F(WindowTest, AStoreHeldByAnotherRunIsSaidOnceAndPollingGoesOn)
{
    auto window = open("host", "7");
    auto other = std::make_unique<handoff::StoreSession>(fs, "\\\\host\\parlow\\email7\\brevix.lock", "brevix --watch");
    ASSERT_EQ(other->take(), handoff::StoreSession::Take::Taken);
    share.drop("1.txt", statementText("1"));
    window->Timer1_Timer();
    window->Timer1_Timer();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(prompt.shown[0].text.startsWith("Store 7 of host is being processed by brevix --watch, process "));
    EXPECT_TRUE(share.inStore("statements/temp/1.txt"));
    other.reset();
    window->Timer1_Timer();
    EXPECT_FALSE(window->ended());
    EXPECT_TRUE(share.inStore("in/STMT_1.TXT"));
}

TEST_F(WindowTest, ExitWithWaitingFilesAsksAndNoLeavesThePollingAsItWas)
{
    share.drop("1.txt", statementText("1"));
    for (bool polling : {false, true}) {
        auto window = open("host", "7");
        if (polling)
            window->btnProcess_Click();
        prompt.shown.clear();
        prompt.answers = {false};
        window->btnExit_Click();
        EXPECT_EQ(prompt.texts(), std::vector<QString>{"There are Files to Process.  Are you Sure you want to Exit?"});
        EXPECT_TRUE(prompt.shown.back().question);
        EXPECT_FALSE(window->ended());
        EXPECT_EQ(window->Timer1->isActive(), polling);
    }
    QFile::remove(share.at(share.store("statements/temp/1.txt")));
    prompt.shown.clear();
    auto window = open("host", "7");
    window->btnExit_Click();
    EXPECT_TRUE(window->ended() && prompt.shown.empty());
}

TEST_F(WindowTest, EventsBetweenTwoFilesAreHandledAndCanEndTheTick)
{
    auto window = open("host", "7");
    for (const char* account : {"1", "2", "3"})
        share.drop(QString(account) + ".txt", statementText(account));

    // A tick falling due during a tick does not start a second one.
    int nested = 0;
    QTimer::singleShot(0, [&] { ++nested, window->Timer1_Timer(); });
    window->Timer1_Timer();
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(fs.list("\\\\host\\parlow\\email7\\statements\\temp", "*.txt").isEmpty());

    // Exit confirmed between two files ends the program after the file in hand.
    for (const char* account : {"4", "5", "6"})
        share.drop(QString(account) + ".txt", statementText(account));
    prompt.answers = {true};
    QTimer::singleShot(0, [&] { window->btnExit_Click(); });
    window->Timer1_Timer();
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(fs.list("\\\\host\\parlow\\email7\\statements\\temp", "*.txt").size(), 2);
    EXPECT_EQ(fs.list("\\\\host\\parlow\\email7\\in", "*.TXT").size(), 4);
}

}  // namespace
