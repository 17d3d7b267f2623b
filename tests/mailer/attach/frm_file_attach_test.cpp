#include "mailer/attach/frm_file_attach.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "settings/settings_store.h"
#include "tests/support/statement_share.h"

#include <QListWidget>
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
        qputenv("TORVIK_UNC_ROOT", share.uncRoot().toUtf8());
        run.ServerName = "host";
        run.StoreNumber = "7";
    }
    ~PickerTest() override
    {
        qputenv("HOME", oldHome);
        qunsetenv("TORVIK_UNC_ROOT");
    }

    std::unique_ptr<frmFileAttach> open(const QString& folder = {})
    {
        auto picker = std::make_unique<frmFileAttach>(run, fs, store, prompt);
        if (!folder.isEmpty())
            picker->setDir1Path(folder);
        return picker;
    }

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

// Remove twice and Escape, pressed on the real window: tests/gui/operator_slips.sh.
TEST_F(PickerTest, EachPathIsAddedOnceAndOnlyTheSelectedEntryIsRemoved)
{
    auto picker = open(home + "/docs");
    for (const char* name : {"Terms.pdf", "Terms.pdf", "terms.pdf", "prices.doc"})
        pick(*picker, name);
    const QStringList three{home + "/docs/Terms.pdf", home + "/docs/terms.pdf", home + "/docs/prices.doc"};
    EXPECT_EQ(chosen(*picker), three);
    EXPECT_TRUE(picker->lstAttachment->selectedItems().isEmpty());
    picker->btnRemove_Click();  // nothing selected: nothing removed
    EXPECT_EQ(chosen(*picker), three);

    picker->lstAttachment->item(0)->setSelected(true);
    picker->btnRemove_Click();
    picker->btnRemove_Click();
    EXPECT_EQ(chosen(*picker), QStringList({home + "/docs/terms.pdf", home + "/docs/prices.doc"}));
    picker->btnClear_Click();
    EXPECT_TRUE(chosen(*picker).isEmpty());
}

// A name the request cannot carry is refused at the double-click; the others are copied on Exit.
TEST_F(PickerTest, NamesThatCannotTravelInTheRequestAreRefusedTheOthersCopiedOnExit)
{
    const struct {
        QString name, shown, why;
    } refused[] = {
        {"a|b.pdf", "a|b.pdf", "its name holds \"|\", which separates the attachments in the mail request"},
        {"c\td.pdf", "c<TAB>d.pdf", "its name holds a tab, which separates the names of the attachments"},
        {"e\rf.pdf", "e<CR>f.pdf", "its name holds a line break, which would split the mail request"},
        {"g\nh.pdf", "g<LF>h.pdf", "its name holds a line break, which would split the mail request"},
        {"i\x01j.pdf", "i<01>j.pdf", "its name holds a control character (code 1)"},
        {"back\\slash.pdf", "back\\slash.pdf",
         "its name holds \"\\\", which the mail sender reads as a folder separator"},
        {"k:l.pdf", "k:l.pdf", "its name holds \":\", which Windows does not allow in a file name"},
        {"Ωmega.pdf", "Ωmega.pdf",
         "its name holds \"Ω\", which the mail request's character set (Windows-1252) cannot hold"},
    };
    for (const auto& r : refused)
        share.write("home/odd/" + r.name, "x");
    share.write("home/odd/café €.pdf", "café");
    share.write("home/odd/gone.pdf");
    auto picker = open(home + "/odd");
    for (const auto& r : refused) {
        SCOPED_TRACE(qPrintable(r.shown));
        prompt.shown.clear();
        pick(*picker, r.name);
        ASSERT_EQ(prompt.texts(), std::vector<QString>{home + "/odd/" + r.shown + " cannot be attached: " + r.why
                                                       + ".\nRename the file, or copy it under another name, and "
                                                         "choose it again."});
        EXPECT_TRUE(chosen(*picker).isEmpty());
    }
    pick(*picker, "café €.pdf");
    pick(*picker, "gone.pdf");
    share.write("home/odd/newer/café €.pdf", "newer café");
    picker->setDir1Path(home + "/odd/newer");
    pick(*picker, "café €.pdf");
    QFile::remove(home + "/odd/gone.pdf");
    prompt.shown.clear();
    picker->btnExit_Click();
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(prompt.texts(),
              std::vector<QString>{"These files could not be copied to \\\\host\\parlow\\email7\\statements\\out ("
                                   + share.at("unc/host/parlow/email7/statements/out") + ") and will not be attached:\n"
                                   + home + "/odd/gone.pdf (Error 53: File not found)\nCheck that the files can be "
                                   "read and the out folder written, then choose them again."});
    EXPECT_EQ(share.readStore("statements/out/café €.pdf"), "newer café");
    EXPECT_EQ(store.get(settings::DirPath, "-"), home + "/odd/newer");
    EXPECT_EQ(run.AttachList, "café €.pdf\tcafé €.pdf\t");
}

TEST_F(PickerTest, TheCloseBoxCopiesNothingButSavesThePlace)
{
    store.save(settings::DirPath, "/no/such/folder");
    run.AttachList = "left over\t";
    auto picker = open();
    EXPECT_EQ(picker->Dir1Path(), home);  // a stored place that is gone
    EXPECT_EQ(run.AttachList, "");
    picker->setDir1Path(home + "/docs");
    picker->show();
    pick(*picker, "prices.doc");
    picker->lstAttachment->item(0)->setSelected(true);
    // A double-click on a folder shows its files and clears the chosen list's selection.
    picker->Dir1_DblClick(picker->Dir1->findItems("old", Qt::MatchEndsWith).value(0));
    EXPECT_EQ(picker->Dir1Path() + QString::number(picker->File1->count()), home + "/docs/old0");
    EXPECT_TRUE(picker->lstAttachment->selectedItems().isEmpty());
    picker->setDir1Path(home + "/docs");
    pick(*picker, "prices.doc");
    EXPECT_EQ(chosen(*picker).size(), 1);
    picker->close();
    EXPECT_EQ(run.AttachList, "");
    EXPECT_FALSE(share.inStore("statements/out/prices.doc"));
    EXPECT_EQ(store.get(settings::DrivePath, "-"), home);
    EXPECT_EQ(store.get(settings::FileName, "-"), "prices.doc");

    // Reopening shows the saved place and selection with an empty list.
    auto again = open();
    EXPECT_EQ(again->Dir1Path(), home + "/docs");
    ASSERT_NE(again->File1->currentItem(), nullptr);
    EXPECT_EQ(again->File1->currentItem()->text(), "prices.doc");
    EXPECT_TRUE(chosen(*again).isEmpty());
}

}  // namespace
