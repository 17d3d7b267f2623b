#include "mailer/attach/frm_file_attach.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/statement_share.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using attach::frmFileAttach;

namespace {

class PickerTest : public ::testing::Test {
protected:
    PickerTest()
        : home(share.at("home")),
          fs(platform::PathMapper({share.uncRoot(), {}, {}})),
          store(share.at("config"))
    {
        share.write("home/docs/Terms.pdf", "terms");
        share.write("home/docs/terms.pdf", "lower-case terms");
        share.write("home/docs/prices.doc", "prices");
        share.mkdir("home/docs/old");
        oldHome = qgetenv("HOME");
        qputenv("HOME", home.toUtf8());
        run.ServerName = "host";
        run.StoreNumber = "7";
    }
    ~PickerTest() override { qputenv("HOME", oldHome); }

    std::unique_ptr<frmFileAttach> open() { return std::make_unique<frmFileAttach>(run, fs, store, prompt); }

    /// Double-clicks a file of the file list.
    static void pick(frmFileAttach& picker, const QString& name)
    {
        const auto found = picker.File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_FALSE(found.isEmpty()) << qPrintable(name);
        picker.File1->setCurrentItem(found.first());
        picker.File1_DblClick();
    }
    static QStringList chosen(const frmFileAttach& picker)
    {
        QStringList out;
        for (int i = 0; i < picker.lstAttachment->count(); ++i)
            out << picker.lstAttachment->item(i)->text();
        return out;
    }

    testing_support::StatementShare share;
    QString home;
    QByteArray oldHome;
    platform::LocalFileSystem fs;
    settings::SettingsStore store;
    platform::RecordingPrompt prompt;
    input::modBrevix run;
};

TEST_F(PickerTest, OpensAtHomeWhenTheStoredPlaceIsGone)
{
    store.save(settings::DrivePath, "c:\\");
    store.save(settings::DirPath, "/no/such/folder");
    run.AttachList = "left over\t";
    auto picker = open();
    EXPECT_EQ(picker->windowTitle(), "File Attachment");
    EXPECT_EQ(picker->Dir1Path(), home);
    EXPECT_EQ(picker->Drive1->currentText(), home);
    EXPECT_EQ(run.AttachList, "");
    EXPECT_EQ(picker->btnClear->toolTip(), "Clera entire attachment list");
    EXPECT_EQ(picker->btnRemove->toolTip(), "Remeove selected attachment");
}

TEST_F(PickerTest, DoubleClicksAddEachPathOnceRemoveAndClearTakeThemAway)
{
    auto picker = open();
    picker->setDir1Path(home + "/docs");
    pick(*picker, "Terms.pdf");
    pick(*picker, "Terms.pdf");
    pick(*picker, "terms.pdf");
    EXPECT_EQ(chosen(*picker), QStringList({home + "/docs/Terms.pdf", home + "/docs/terms.pdf"}));
    EXPECT_TRUE(picker->lstAttachment->selectedItems().isEmpty());

    picker->btnRemove_Click();  // nothing selected: nothing removed
    EXPECT_EQ(chosen(*picker).size(), 2);
    picker->lstAttachment->item(0)->setSelected(true);
    picker->btnRemove_Click();
    EXPECT_EQ(chosen(*picker), QStringList{home + "/docs/terms.pdf"});
    picker->btnClear_Click();
    EXPECT_TRUE(chosen(*picker).isEmpty());
}

TEST_F(PickerTest, ExitCopiesIntoTheOutFolderAndReportsWhatCouldNotBeCopied)
{
    auto picker = open();
    picker->setDir1Path(home + "/docs");
    pick(*picker, "Terms.pdf");
    pick(*picker, "prices.doc");
    share.write("home/docs/gone.pdf");
    picker->setDir1Path(home + "/docs");
    pick(*picker, "gone.pdf");
    QFile::remove(home + "/docs/gone.pdf");

    picker->btnExit_Click();
    EXPECT_EQ(run.AttachList, "Terms.pdf\tprices.doc\t");
    EXPECT_EQ(share.readStore("statements/out/Terms.pdf"), "terms");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.texts()[0].indexOf(home + "/docs/gone.pdf (Error 53: File not found)"), -1);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(store.get(settings::DirPath, "-"), home + "/docs");
}

TEST_F(PickerTest, TheCloseBoxCopiesNothingButSavesThePlace)
{
    auto picker = open();
    picker->show();
    picker->setDir1Path(home + "/docs");
    pick(*picker, "prices.doc");
    picker->close();
    EXPECT_EQ(run.AttachList, "");
    EXPECT_FALSE(share.inStore("statements/out/prices.doc"));
    EXPECT_EQ(store.get(settings::DrivePath, "-"), home);
    EXPECT_EQ(store.get(settings::DirPath, "-"), home + "/docs");
    EXPECT_EQ(store.get(settings::FileName, "-"), "prices.doc");

    // Reopening shows the saved place and selection with an empty list.
    auto again = open();
    EXPECT_EQ(again->Dir1Path(), home + "/docs");
    ASSERT_NE(again->File1->currentItem(), nullptr);
    EXPECT_EQ(again->File1->currentItem()->text(), "prices.doc");
    EXPECT_TRUE(chosen(*again).isEmpty());
}

TEST_F(PickerTest, ChangingFolderClearsTheSelections)
{
    auto picker = open();
    picker->setDir1Path(home + "/docs");
    pick(*picker, "prices.doc");
    picker->lstAttachment->item(0)->setSelected(true);
    QListWidgetItem* old = nullptr;
    for (int i = 0; i < picker->Dir1->count(); ++i)
        if (picker->Dir1->item(i)->text().trimmed() == "old")
            old = picker->Dir1->item(i);
    ASSERT_NE(old, nullptr);
    picker->Dir1_DblClick(old);
    EXPECT_EQ(picker->Dir1Path(), home + "/docs/old");
    EXPECT_EQ(picker->File1->count(), 0);
    EXPECT_TRUE(picker->lstAttachment->selectedItems().isEmpty());
    EXPECT_EQ(chosen(*picker).size(), 1);
}

}  // namespace
