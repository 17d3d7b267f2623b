#include "tests/colours/print_qt.h"
#include "colours/logo_locator.h"
#include "colours/logo_picture.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace huevane;
using testing_support::TempTree;

namespace {

TEST(LogoLocator, TheSecondCandidateWinsAndNamesMayCarryAPictureExtension)
{
    struct Case {
        std::vector<const char*> files;
        const char* invoice;
        const char* statement;
    } cases[] = {
        {{}, "", ""},
        {{"logo"}, "logo", ""},
        {{"logo", "logowide"}, "logowide", ""},
        {{"stmtlogo", "stmtlogowide", "logo"}, "logo", "stmtlogowide"},
        {{"stmtlogo"}, "", "stmtlogo"},
        {{"LOGO.PNG"}, "LOGO.PNG", ""},
        {{"logo", "logowide.jpg"}, "logowide.jpg", ""},
        {{"logo.txt", "logo.wide.png", "logo.png.bak"}, "", ""},
        {{"logo.png", "logo.bmp", "logo.Gif"}, "logo.bmp", ""},
        {{"logo/inner"}, "", ""},  // a folder named like a logo
    };
    for (const Case& c : cases) {
        TempTree home;
        for (const char* f : c.files)
            home.write(f, "x");
        platform::LocalFileSystem fs{platform::PathMapper({"", home.path(), ""})};
        LogoLocator locator(fs);
        EXPECT_EQ(locator.find(FormType::Invoice).value_or(""), c.invoice) << c.files.size();
        EXPECT_EQ(locator.find(FormType::Statement).value_or(""), c.statement) << c.files.size();
    }
}

// An unreadable logo is covered where it matters, by the window that must end without saving.
TEST(LogoPicture, SavesTheWorkingBitmapInTheCacheEachLoadOrReportsWhyItCannot)
{
    TempTree tree;
    platform::LocalFileSystem files{platform::PathMapper({tree.at("unc"), tree.at("home"), tree.at("cache")})};
    QImage logo(40, 20, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    logo.setPixelColor(3, 4, QColor(0x1f, 0x4e, 0x79));
    tree.mkdir("home");
    logo.save(tree.at("home/stmtlogo"), "PNG");
    const LogoPicture loaded = LogoPicture::load(files, "c:\\program files\\torvik\\stmtlogo");
    EXPECT_EQ(loaded.picture.size(), QSize(40, 20));
    EXPECT_EQ(loaded.bitmap.pixelColor(3, 4), QColor(0x1f, 0x4e, 0x79));
    EXPECT_EQ(loaded.bitmap.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(tree.read("cache/huevane/logopic.bmp").substr(0, 2), "BM");

    QImage(7, 5, QImage::Format_RGB32).save(tree.at("home/logo"), "PNG");
    EXPECT_EQ(LogoPicture::load(files, "c:\\program files\\torvik\\logo").bitmap.size(), QSize(7, 5));
    EXPECT_EQ(QImage(tree.at("cache/huevane/logopic.bmp")).size(), QSize(7, 5));

    QDir(tree.at("cache/huevane")).removeRecursively();
    tree.write("cache/huevane", "a file where the folder should be");
    EXPECT_THROW(LogoPicture::load(files, "c:\\program files\\torvik\\logo"), platform::Error);
}

}  // namespace
