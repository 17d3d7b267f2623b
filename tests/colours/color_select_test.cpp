#include "tests/colours/print_qt.h"
#include "colours/color_select.h"
#include "colours/colour_dialog.h"
#include "colours/image_box.h"
#include "colours/picture_box.h"
#include "colours/saved_colours.h"
#include "colours/shape_control.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "platform/version.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace huevane;

namespace {

/// Also answers the colour dialog with `answer`, remembering where its owner stood.
class ColorSelectTest : public ::testing::Test, public ColourDialog {
protected:
    std::optional<QColor> choose(QWidget& owner, const QColor& current) override
    {
        ++dialogs;
        dialogStart = current;
        dialogPlace = owner.isVisible() ? QRect(owner.frameGeometry().topLeft(), owner.size()) : QRect();
        return answer;
    }
    /// A logo whose pixel (x, y) has red x, green y and blue 77.
    void logo(const char* name, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixelColor(x, y, QColor(x % 256, y % 256, 77));
        tree.mkdir("home");
        image.save(tree.at(QStringLiteral("home/") + name), "PNG");
    }
    /// The six stored colour texts, ForeGroundColor to StmtShade.
    QStringList storedSix() const
    {
        QStringList texts;
        for (const SavedColours::Write& w : SavedColours::writesFor({}))
            texts << settingsStore.get(w.key, "<missing>");
        return texts;
    }
    ColorSelect& open()
    {
        window = std::make_unique<ColorSelect>(settingsStore, files, prompt, *this);
        window->show();
        return *window;
    }
    static QColor textOf(const QWidget* w) { return w->palette().color(QPalette::WindowText); }
    static QColor backOf(const QWidget* w) { return w->palette().color(QPalette::Window); }
    QStringList readout() const { return {window->lblRed->text(), window->lblGreen->text(), window->lblBlue->text()}; }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void press(Qt::MouseButton button, QPoint at) { QTest::mouseClick(window->Picture1, button, {}, at); }

    testing_support::TempTree tree;
    settings::SettingsStore settingsStore{tree.at("config")};
    platform::LocalFileSystem files{platform::PathMapper({tree.at("unc"), tree.at("home"), tree.at("cache")})};
    platform::RecordingPrompt prompt;
    std::optional<QColor> answer;
    int dialogs = 0;
    QRect dialogPlace;  // empty unless the owner was shown
    QColor dialogStart;
    std::unique_ptr<ColorSelect> window;
};

TEST_F(ColorSelectTest, OpensOnAnEmptyStoreAsDesignedAndWritesAllSixOnClose)
{
    ColorSelect& w = open();
    EXPECT_EQ(w.windowTitle(), "Mailvoy Color Selector          Version " + platform::versionText());
    EXPECT_EQ(readout(), QStringList({"Red:  0", "Green:  0", "Blue:  0"}));
    EXPECT_EQ(QList<QColor>({textOf(w.Label1), textOf(w.Label6), w.Shape1->fill(), w.Shade1->fill(), backOf(w.Label8)}),
              QList<QColor>({Qt::black, Qt::black, QColor(208, 240, 255), Qt::white, Qt::white}));
    EXPECT_TRUE(w.OptInvoice->isChecked() && w.OptFore->isChecked() && !w.OptShade->isVisible());
    EXPECT_TRUE(prompt.shown.empty());
    // No logo: the viewport says where it goes.
    const QLabel* note = w.findChild<QLabel*>("noLogo");
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith("No invoice logo. Huevane shows the picture file c:\\program files\\torvik\\logo ("))
        << qPrintable(note->text());
    // A few places catch a wrong twips conversion: in the window, in a frame, a line's two ends.
    for (const auto& [control, pixels] : {std::pair<const QWidget*, QRect>{w.Label2, {16, 16, 161, 17}},
                                          {w.OptStatement, {128, 16, 89, 17}}, {w.Line1, {56, 248, 1, 56}}})
        EXPECT_EQ(control->geometry(), pixels) << qPrintable(control->objectName());

    w.btnExit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(storedSix(), QStringList({"0", "16773328", "-1", "0", "16777215", "15329791"}));
}

TEST_F(ColorSelectTest, AnUnreadableColourIsNamedOnceAndAnUnsetShadeIsShownAsTheDesignedOne)
{
    settingsStore.save(settings::BackGroundColor, "light blue");
    settingsStore.save(settings::StmtShade, "-1");
    ColorSelect& w = open();
    EXPECT_FALSE(w.ended());
    EXPECT_EQ(w.Shape1->fill(), QColor(208, 240, 255));
    click(w.OptStatement);
    EXPECT_EQ(w.Shade1->fill(), QColor(255, 233, 233));
    EXPECT_EQ(backOf(w.Label7), QColor(255, 233, 233));
    EXPECT_EQ(w.Label2->text(), "Statement Logo");
    ASSERT_TRUE(w.OptShade->isVisible());
    click(w.OptShade);
    EXPECT_EQ(readout(), QStringList({"Red: -1", "Green: -1", "Blue:  255"}));
    // The roles and the form types are two separate exclusive groups.
    EXPECT_FALSE(w.OptFore->isChecked() || w.OptBack->isChecked() || w.OptInvoice->isChecked());
    EXPECT_TRUE(w.OptShade->isChecked() && w.OptStatement->isChecked());
    click(w.OptInvoice);
    EXPECT_EQ(prompt.texts(), std::vector<QString>({"The stored colour BackGroundColor, \"light blue\", cannot be "
                                                    "read (Type mismatch). The default 16773328 is used instead."}));
    w.close();
    EXPECT_EQ(storedSix(), QStringList({"0", "16773328", "-1", "0", "16777215", "-1"}));
}

TEST_F(ColorSelectTest, DefaultResetsTheSelectedFormTypeOnly)
{
    for (bool statement : {true, false}) {
        SavedColours(settingsStore, prompt).write({1, 2, 3, 4, 5, 6});
        ColorSelect& w = open();
        if (statement)
            click(w.OptStatement);
        click(w.OptBack);
        click(w.BtnDefaults);
        EXPECT_TRUE(w.OptFore->isChecked());
        EXPECT_EQ(w.Shape1->fill(), statement ? QColor(Qt::white) : QColor(208, 240, 255));
        w.close();
        EXPECT_EQ(storedSix(), statement ? QStringList({"1", "2", "3", "0", "16777215", "15329791"})
                                         : QStringList({"0", "16773328", "3", "4", "5", "6"}));
    }
}

TEST_F(ColorSelectTest, CancellingTheColourDialogChangesNothingAndChoosingAppliesTheColour)
{
    ColorSelect& w = open();
    click(w.OptBack);
    click(w.Command3);
    click(w.Command1);
    ASSERT_EQ(dialogs, 1);
    EXPECT_EQ(dialogPlace, QRect(395, w.frameGeometry().top() + 67, 3, 3));
    EXPECT_EQ(dialogStart, QColor(208, 240, 255));  // the background being changed
    EXPECT_EQ(readout(), QStringList({"Red:  208", "Green:  240", "Blue:  255"}));
    EXPECT_EQ(w.Shape1->fill(), QColor(208, 240, 255));
    EXPECT_FALSE(w.selection().pickMode());

    answer = QColor(0x12, 0x34, 0x56);
    click(w.Command1);
    EXPECT_EQ(readout(), QStringList({"Red:  18", "Green:  52", "Blue:  86"}));
    EXPECT_EQ(w.Shape1->fill(), QColor(0x12, 0x34, 0x56));
    w.close();
    EXPECT_EQ(storedSix()[1], "5649426");  // 0x563412
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->objectName() == "frmCD" && top->isVisible());
}

// The narrow invoice logo scrolls below 0; the statement has its own logos, the wide one winning.
// A window smaller than the design scrolls it (tests/gui/huevane_screens.sh checks the rest).
TEST_F(ColorSelectTest, ANarrowLogoScrollsBelowZeroAndASmallWindowKeepsItsButtons)
{
    logo("logo", 100, 30);
    logo("stmtlogo", 100, 50);
    logo("stmtlogowide.png", 200, 60);
    ColorSelect& w = open();
    const int frameTwips = w.viewport().Frame1.width();
    EXPECT_EQ(frameTwips, w.frameGeometry().width() * 15 - 6145);
    EXPECT_EQ(w.viewport().horizontal.maximum, 1500 - frameTwips);
    EXPECT_EQ(w.viewport().vertical.maximum, 450 - 6675);

    w.setScrollValue(w.HScroll1, -1500);
    w.setScrollValue(w.VScroll1, -300);
    EXPECT_EQ(w.Picture1->pos(), QPoint(100, 20));
    EXPECT_FALSE(w.findChild<QLabel*>("noLogo")->isVisible());
    click(w.Command3);
    press(Qt::LeftButton, {7, 3});
    EXPECT_EQ(w.selection().colours().ForeGroundColor, 7 | (3 << 8) | (77 << 16));

    click(w.OptStatement);
    EXPECT_EQ(w.Picture1->size(), QSize(200, 60));
    EXPECT_EQ(w.Image1->picture().size(), QSize(200, 60));

    // Made smaller than the design, the window scrolls it; the viewport follows the design's width.
    w.resize(600, 300);
    QApplication::processEvents();
    const int scrolled = w.design()->widget()->width() - w.design()->viewport()->width();
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(w.viewport().Frame1.width(), (w.frameGeometry().width() + scrolled) * 15 - 6145);
    EXPECT_EQ(w.HScroll1->geometry(), QRect(w.Frame1->x(), w.Frame1->geometry().bottom() + 1, w.Frame1->width(), 17));
    EXPECT_EQ(w.viewport().horizontal.maximum, 3000 - w.viewport().Frame1.width());
}

// Presses other than one left or right press on a pixel of the picture leave pick mode on; a
// press at 119.6 rounds to 120, just outside the 120-pixel picture.
TEST_F(ColorSelectTest, PicksFromTheInvoiceLogoWhichTheStatementKeepsWhenItHasNone)
{
    logo("logo", 120, 40);
    ColorSelect& w = open();
    click(w.Command3);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::CrossCursor);
    press(Qt::MiddleButton, {10, 5});
    QMouseEvent edge(QEvent::MouseButtonPress, QPointF(119.6, 5), w.Picture1->mapToGlobal(QPointF(119.6, 5)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Picture1, &edge);
    EXPECT_TRUE(w.selection().pickMode());

    press(Qt::RightButton, {10, 5});
    press(Qt::RightButton, {11, 5});
    EXPECT_EQ(prompt.texts(), std::vector<QString>({"Red: 10   Green: 5  Blue: 77"}));
    EXPECT_EQ(prompt.shown[0].title, "Huevane");
    EXPECT_FALSE(w.selection().pickMode());

    click(w.OptStatement);
    EXPECT_EQ(w.Picture1->size(), QSize(120, 40));
    click(w.Command3);
    press(Qt::LeftButton, {10, 5});
    EXPECT_EQ(textOf(w.Label1), QColor(10, 5, 77));
    EXPECT_EQ(readout(), QStringList({"Red:  10", "Green:  5", "Blue:  77"}));
    EXPECT_FALSE(w.selection().pickMode());
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::ArrowCursor);
    w.close();
    EXPECT_EQ(storedSix(), QStringList({"0", "16773328", "-1", "5047562", "16777215", "15329791"}));  // 0x4D050A
}

TEST_F(ColorSelectTest, ALogoThatIsNoPictureEndsTheProgramWithoutSavingAndNamesTheFileHere)
{
    tree.write("home/logo", "not a picture");
    qputenv("TORVIK_HOME", tree.at("home").toUtf8());
    ColorSelect& w = open();
    qunsetenv("TORVIK_HOME");
    EXPECT_TRUE(w.ended());
    EXPECT_EQ(prompt.texts().front(),
              "Error 481: Invalid picture on c:\\program files\\torvik\\logo (" + tree.at("home/logo") + ")");
    w.close();
    EXPECT_EQ(storedSix()[0], "<missing>");
}

}  // namespace
