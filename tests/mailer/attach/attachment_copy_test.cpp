#include "mailer/attach/folder_browser.h"
#include "platform/file_system.h"
#include "tests/support/statement_share.h"

#include <gtest/gtest.h>

using namespace attach;

namespace {

// NotInList, copying under the bare name, the failed-copy message and the same name from two
// folders are checked through the picker, whose double-clicks and Exit run them.
TEST(FolderBrowser, TrailRunsFromTheDriveDownAndListsSubfolders)
{
    testing_support::TempTree tree;
    tree.mkdir("a/b/zeta");
    tree.mkdir("a/b/Alpha");
    tree.write("a/b/file.txt");
    const QString drive = tree.path();
    QStringList trail;  // depth, label, * for the current folder
    for (const FolderEntry& e : folderTrail(drive, tree.at("a/b")))
        trail << QString::number(e.depth) + (e.path == drive ? "drive" : e.label) + (e.current ? "*" : "");
    EXPECT_EQ(trail.join(' '), "0drive 1a 2b* 3Alpha 3zeta");
    EXPECT_EQ(folderTrail(drive, tree.at("a/b"))[2].path, tree.at("a/b"));
    EXPECT_EQ(filesOf(tree.at("a/b")), QStringList{"file.txt"});

    EXPECT_EQ(driveOf({"/", "/home/clerk", "/media/usb"}, "/home/clerk/docs"), "/home/clerk");
    EXPECT_EQ(driveOf({"/", "/home/clerk"}, "/home/clerkx"), "/");
    EXPECT_EQ(folderTrail("/", "/")[0].path, "/");
}

}  // namespace
