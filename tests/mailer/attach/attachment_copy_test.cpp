#include "mailer/attach/attachment_copy.h"
#include "mailer/attach/folder_browser.h"
#include "platform/file_system.h"
#include "tests/support/statement_share.h"

#include <gtest/gtest.h>

using namespace attach;

namespace {

TEST(Attachments, EntriesCompareWholeAndNamesComeAfterTheLastSlash)
{
    const QStringList entries{"/home/a/Terms.pdf", "/home/a/b.doc"};
    EXPECT_EQ(NotInList(entries, "/home/a/Terms.pdf"), 0);
    EXPECT_EQ(NotInList(entries, "/home/a/terms.pdf"), 1);
    EXPECT_EQ(NotInList({}, "x"), 1);
    for (const auto& [path, name] : std::vector<std::pair<QString, QString>>{
             {"/home/clerk/terms.pdf", "terms.pdf"}, {"//terms.pdf", "terms.pdf"}, {"/home/clerk/", ""}})
        EXPECT_EQ(GetFileName(path), name) << qPrintable(path);
}

TEST(Attachments, CopiesEveryFileAndNamesOnlyThoseThatArrived)
{
    testing_support::StatementShare share;
    share.write("picked/terms.pdf", "terms");
    share.write("other/terms.pdf", "newer terms");
    share.write("picked/prices.doc", "prices");
    platform::LocalFileSystem fs(platform::PathMapper({share.uncRoot(), {}, {}}));
    input::modBrevix run;
    run.ServerName = "host";
    run.StoreNumber = "7";
    run.AttachList = "stale.pdf\t";

    const auto failed = CopyAttachment(
        fs, run, {share.at("picked/terms.pdf"), share.at("picked/missing.pdf"), share.at("picked/prices.doc"),
                  share.at("other/terms.pdf")});
    EXPECT_EQ(run.AttachList, "terms.pdf\tprices.doc\tterms.pdf\t");
    EXPECT_EQ(share.readStore("statements/out/terms.pdf"), "newer terms");
    EXPECT_EQ(share.readStore("statements/out/prices.doc"), "prices");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].path, share.at("picked/missing.pdf"));
    EXPECT_EQ(failed[0].reason, "Error 53: File not found");
    EXPECT_EQ(failedCopiesMessage(failed, attachmentFolder(run)),
              "These files could not be copied to \\\\host\\parlow\\email7\\statements\\out and will not be attached:\n"
                  + share.at("picked/missing.pdf")
                  + " (Error 53: File not found)\nCheck that the files can be read and the out folder written, "
                    "then choose them again.");

    CopyAttachment(fs, run, {});
    EXPECT_EQ(run.AttachList, "");
}

TEST(FolderBrowser, TrailRunsFromTheDriveDownAndListsSubfolders)
{
    testing_support::TempTree tree;
    tree.mkdir("a/b/zeta");
    tree.mkdir("a/b/Alpha");
    tree.write("a/b/file.txt");
    const QString drive = tree.path();
    const auto trail = folderTrail(drive, tree.at("a/b"));
    ASSERT_EQ(trail.size(), 5u);
    EXPECT_EQ(trail[0].path, drive);
    EXPECT_EQ(trail[1].label, "a");
    EXPECT_EQ(trail[2].path, tree.at("a/b"));
    EXPECT_TRUE(trail[2].current);
    EXPECT_EQ(trail[3].label, "Alpha");
    EXPECT_EQ(trail[4].label, "zeta");
    EXPECT_EQ(trail[4].depth, 3);
    EXPECT_EQ(filesOf(tree.at("a/b")), QStringList{"file.txt"});

    EXPECT_EQ(driveOf({"/", "/home/clerk", "/media/usb"}, "/home/clerk/docs"), "/home/clerk");
    EXPECT_EQ(driveOf({"/", "/home/clerk"}, "/home/clerkx"), "/");
    EXPECT_EQ(folderTrail("/", "/")[0].path, "/");
}

}  // namespace
