#include "tests/colours/print_qt.h"
#include "colours/color_select.h"
#include "colours/colour_dialog.h"
#include "colours/image_box.h"
#include "colours/picture_box.h"
#include "colours/shape_control.h"
#include "platform/file_system.h"
#include "platform/recording_prompt.h"
#include "platform/version.h"
#include "settings/settings_store.h"
#include "tests/support/temp_tree.h"

#include <QBuffer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

using namespace huevane;

namespace {

/// Answers the colour dialog from a script and remembers where its owner stood.
class ScriptedDialog : public ColourDialog {
public:
    std::optional<QColor> choose(QWidget& owner) override
    {
        owners.push_back(owner.frameGeometry().topLeft());
        ownerSize = owner.size();
        ownerVisible = owner.isVisible();
        std::optional<QColor> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<QColor>> answers;
    std::vector<QPoint> owners;
    QSize ownerSize;
    bool ownerVisible = false;
};

/// A picture whose pixel (x, y) has red x, green y and blue 77.
QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(x % 256, y % 256, 77));
    return image;
}

class ColorSelectTest : public ::testing::Test {
protected:
    void logo(const char* name, int width, int height)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        gradient(width, height).save(&buffer, "PNG");
        tree.write(QStringLiteral("home/") + name, bytes.toStdString());
    }
    void store(const settings::Key& key, const char* text) { settings::SettingsStore(tree.at("config")).save(key, text); }
    QString stored(const settings::Key& key) { return settings::SettingsStore(tree.at("config")).get(key, "<missing>"); }

    ColorSelect& open()
    {
        window = std::make_unique<ColorSelect>(settingsStore, files, prompt, dialog);
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
    ScriptedDialog dialog;
    std::unique_ptr<ColorSelect> window;
};

TEST_F(ColorSelectTest, OpensOnAnEmptyStoreAsDesignedAndWritesAllSixOnClose)
{
    ColorSelect& w = open();
    EXPECT_EQ(w.windowTitle(), "Mailvoy Color Selector          Version " + platform::versionText());
    EXPECT_EQ(w.Label4->text(),
              "Select Foreground or background radio button.  Click on Color Select Button to Open Color "
              "Picker Window.  Click on Desired color, then click Okay.\r\nIf Logo exists, you may select the "
              "Color Match button, place cursor crosshair over desired colored area of Picture, then "
              "Left-Click mouse to select color.  \r\nRight Click mouse to see RGB setting.");
    EXPECT_EQ(readout(), QStringList({"Red:  0", "Green:  0", "Blue:  0"}));
    for (const QLabel* l : {w.Label1, w.Label5, w.Label6})
        EXPECT_EQ(textOf(l), QColor(Qt::black));
    EXPECT_EQ(w.Shape1->fill(), QColor(208, 240, 255));
    EXPECT_EQ(w.Shade1->fill(), QColor(Qt::white));
    EXPECT_EQ(backOf(w.Label8), QColor(Qt::white));
    EXPECT_TRUE(w.OptInvoice->isChecked());
    EXPECT_TRUE(w.OptFore->isChecked());
    EXPECT_FALSE(w.OptShade->isVisible());
    EXPECT_EQ(w.Label2->text(), "Invoice Logo");
    EXPECT_TRUE(prompt.shown.empty());

    w.btnExit->click();
    EXPECT_FALSE(w.isVisible());
    const char* expected[] = {"0", "16773328", "-1", "0", "16777215", "15329791"};
    const settings::Key keys[] = {settings::ForeGroundColor, settings::BackGroundColor, settings::InvoiceShade,
                                  settings::ForeGroundColorSTMT, settings::BackGroundColorSTMT, settings::StmtShade};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(stored(keys[i]), expected[i]) << keys[i].name;
}

TEST_F(ColorSelectTest, ControlsStandWhereTheDesignPutsThemWithTheirTipsFontsAndTabOrder)
{
    ColorSelect& w = open();
    struct Case {
        const QWidget* control;
        QRect pixels;
    } cases[] = {
        {w.Label2, {16, 16, 161, 17}},   {w.Image1, {8, 40, 336, 168}},  {w.Label3, {384, 16, 161, 17}},
        {w.Shape1, {16, 248, 329, 25}},  {w.Shade1, {16, 272, 329, 49}}, {w.Label9, {184, 280, 153, 17}},
        {w.Line1, {56, 248, 1, 56}},     {w.Frame2, {16, 336, 321, 41}}, {w.OptStatement, {128, 16, 89, 17}},
        {w.OptShade, {16, 440, 105, 25}}, {w.Command3, {256, 392, 81, 33}}, {w.lblBlue, {232, 488, 65, 17}},
        {w.Label4, {16, 512, 329, 121}}, {w.btnExit, {664, 592, 81, 33}}, {w.Picture1, {0, 0, 267, 160}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.control->geometry(), c.pixels) << qPrintable(c.control->objectName());

    EXPECT_EQ(w.Command1->toolTip(), "Open Color Picker Window");
    EXPECT_EQ(w.Command3->toolTip(), "Use Mouse to Select Color From the 'Color Match Picture");
    EXPECT_EQ(w.BtnDefaults->toolTip(), "Restore Colors to Default");
    EXPECT_EQ(w.Label4->font().pointSizeF(), 9.75);
    EXPECT_TRUE(w.Label2->font().bold());
    EXPECT_FALSE(w.Label9->font().bold());
    EXPECT_EQ(textOf(w.Label3), QColor(0xC0, 0, 0));
    EXPECT_EQ(backOf(w.Label4), QColor(0xFF, 0xFF, 0xC0));

    QStringList order;
    QWidget* next = w.OptFore;
    for (int i = 0; i < 12; ++i, next = next->nextInFocusChain()) {
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        order << next->objectName();
    }
    EXPECT_EQ(order.join(' '), "OptFore OptBack Command1 Command3 btnExit Picture1 HScroll1 VScroll1 "
                               "OptInvoice OptStatement OptShade BtnDefaults");
}

TEST_F(ColorSelectTest, StatementShowsAnUnsetShadeInTheDesignedShadeAndWritesItBackUnset)
{
    store(settings::StmtShade, "-1");
    ColorSelect& w = open();
    click(w.OptStatement);
    EXPECT_EQ(w.Shade1->fill(), QColor(255, 233, 233));
    EXPECT_EQ(backOf(w.Label7), QColor(255, 233, 233));
    EXPECT_EQ(w.Label2->text(), "Statement Logo");
    ASSERT_TRUE(w.OptShade->isVisible());
    click(w.OptShade);
    EXPECT_EQ(readout(), QStringList({"Red: -1", "Green: -1", "Blue:  255"}));
    EXPECT_FALSE(w.OptFore->isChecked() || w.OptBack->isChecked() || w.OptInvoice->isChecked());
    w.close();
    EXPECT_EQ(stored(settings::StmtShade), "-1");
}

TEST_F(ColorSelectTest, DefaultResetsTheSelectedFormTypeOnly)
{
    const char* texts[] = {"1", "2", "3", "4", "5", "6"};
    const settings::Key keys[] = {settings::ForeGroundColor, settings::BackGroundColor, settings::InvoiceShade,
                                  settings::ForeGroundColorSTMT, settings::BackGroundColorSTMT, settings::StmtShade};
    struct Case {
        bool statement;
        const char* expected[6];
    } cases[] = {
        {true, {"1", "2", "3", "0", "16777215", "15329791"}},
        {false, {"0", "16773328", "3", "4", "5", "6"}},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 6; ++i)
            store(keys[i], texts[i]);
        ColorSelect& w = open();
        if (c.statement)
            click(w.OptStatement);
        click(w.OptBack);
        click(w.BtnDefaults);
        EXPECT_TRUE(w.OptFore->isChecked());
        EXPECT_EQ(w.Shape1->fill(), c.statement ? QColor(Qt::white) : QColor(208, 240, 255));
        w.close();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(stored(keys[i]), c.expected[i]) << keys[i].name << " statement " << c.statement;
    }
}

TEST_F(ColorSelectTest, CancellingTheColourDialogChangesNothingAndChoosingAppliesTheColour)
{
    ColorSelect& w = open();
    click(w.OptBack);
    click(w.Command3);
    dialog.answers = {std::nullopt, QColor(0x12, 0x34, 0x56)};
    click(w.Command1);
    ASSERT_EQ(dialog.owners.size(), 1u);
    EXPECT_TRUE(dialog.ownerVisible);
    EXPECT_EQ(dialog.owners[0], QPoint(395, w.frameGeometry().top() + 67));
    EXPECT_EQ(dialog.ownerSize, QSize(3, 3));
    EXPECT_EQ(readout(), QStringList({"Red:  208", "Green:  240", "Blue:  255"}));
    EXPECT_EQ(w.Shape1->fill(), QColor(208, 240, 255));
    EXPECT_FALSE(w.selection().pickMode());
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::ArrowCursor);

    click(w.Command1);
    EXPECT_EQ(readout(), QStringList({"Red:  18", "Green:  52", "Blue:  86"}));
    EXPECT_EQ(w.Shape1->fill(), QColor(0x12, 0x34, 0x56));
    w.close();
    EXPECT_EQ(stored(settings::BackGroundColor), "5649426");  // 0x563412
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->objectName() == "frmCD" && top->isVisible());
}

TEST_F(ColorSelectTest, TheStatementUsesTheWideLogoWhenBothExist)
{
    logo("stmtlogo", 100, 50);
    logo("stmtlogowide.png", 200, 60);
    ColorSelect& w = open();
    EXPECT_TRUE(w.Image1->picture().isNull());
    click(w.OptStatement);
    EXPECT_EQ(w.Picture1->size(), QSize(200, 60));
    EXPECT_EQ(w.Image1->picture().size(), QSize(200, 60));
    EXPECT_EQ(QImage(tree.at("cache/huevane/logopic.bmp")).size(), QSize(200, 60));
}

TEST_F(ColorSelectTest, WithOnlyTheInvoiceLogoTheStatementKeepsItAndPicksFromIt)
{
    logo("logo", 120, 40);
    ColorSelect& w = open();
    EXPECT_EQ(w.Picture1->size(), QSize(120, 40));
    click(w.OptStatement);
    EXPECT_EQ(w.Picture1->size(), QSize(120, 40));
    click(w.Command3);
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::CrossCursor);
    press(Qt::LeftButton, {10, 5});
    EXPECT_EQ(w.selection().colours().ForeGroundColorSTMT, 10 | (5 << 8) | (77 << 16));
    EXPECT_EQ(textOf(w.Label1), QColor(10, 5, 77));
    EXPECT_EQ(readout(), QStringList({"Red:  10", "Green:  5", "Blue:  77"}));
    EXPECT_FALSE(w.selection().pickMode());
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ColorSelectTest, ANarrowLogoScrollsBelowZeroAndScrollingKeepsThePixelsItReads)
{
    logo("logo", 100, 30);
    ColorSelect& w = open();
    const int frameTwips = w.viewport().Frame1.width();
    EXPECT_EQ(frameTwips, w.frameGeometry().width() * 15 - 6145);
    EXPECT_EQ(w.viewport().horizontal.maximum, 1500 - frameTwips);
    EXPECT_EQ(w.viewport().vertical.maximum, 450 - 6675);

    w.setScrollValue(w.HScroll1, -1500);
    w.setScrollValue(w.VScroll1, -300);
    EXPECT_EQ(w.scrollValue(w.HScroll1), -1500);
    EXPECT_EQ(w.Picture1->pos(), QPoint(100, 20));
    click(w.Command3);
    press(Qt::LeftButton, {7, 3});
    EXPECT_EQ(w.selection().colours().ForeGroundColor, 7 | (3 << 8) | (77 << 16));
}

TEST_F(ColorSelectTest, RightClickShowsTheValuesOnceAndOtherPressesLeavePickModeOn)
{
    logo("logo", 120, 40);
    ColorSelect& w = open();
    click(w.Command3);
    press(Qt::MiddleButton, {10, 5});
    EXPECT_TRUE(w.selection().pickMode());
    EXPECT_EQ(w.Picture1->cursor().shape(), Qt::CrossCursor);

    press(Qt::RightButton, {10, 5});
    press(Qt::RightButton, {11, 5});
    EXPECT_EQ(prompt.texts(), std::vector<QString>({"Red: 10   Green: 5  Blue: 77"}));
    EXPECT_EQ(prompt.shown[0].title, "Huevane");
    EXPECT_FALSE(w.selection().pickMode());
    EXPECT_EQ(readout(), QStringList({"Red:  0", "Green:  0", "Blue:  0"}));
    w.close();
    EXPECT_EQ(stored(settings::ForeGroundColor), "0");
}

TEST_F(ColorSelectTest, APressOutsideThePictureLeavesPickModeOn)
{
    ColorSelect& w = open();  // no logo: nothing to read
    click(w.Command3);
    press(Qt::LeftButton, {10, 5});
    EXPECT_TRUE(w.selection().pickMode());

    logo("logo", 120, 40);
    click(w.OptInvoice);
    click(w.Command3);
    QMouseEvent edge(QEvent::MouseButtonPress, QPointF(119.6, 5), w.Picture1->mapToGlobal(QPointF(119.6, 5)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Picture1, &edge);
    EXPECT_TRUE(w.selection().pickMode());
    EXPECT_EQ(w.selection().colours().ForeGroundColor, 0);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ColorSelectTest, AnUnreadableStoredColourIsNamedOnceAndItsDefaultUsed)
{
    store(settings::BackGroundColor, "light blue");
    ColorSelect& w = open();
    EXPECT_FALSE(w.ended());
    EXPECT_EQ(prompt.texts(), std::vector<QString>({"The stored colour BackGroundColor, \"light blue\", cannot be "
                                                    "read (Type mismatch). The default 16773328 is used instead."}));
    EXPECT_EQ(w.Shape1->fill(), QColor(208, 240, 255));
    click(w.OptStatement);
    click(w.OptInvoice);
    EXPECT_EQ(prompt.shown.size(), 1u);
    w.close();
    EXPECT_EQ(stored(settings::BackGroundColor), "16773328");
}

TEST_F(ColorSelectTest, ALogoThatIsNoPictureEndsTheProgramWithoutSaving)
{
    tree.write("home/logo", "not a picture");
    ColorSelect& w = open();
    EXPECT_TRUE(w.ended());
    EXPECT_EQ(prompt.texts().front(), "Error 481: Invalid picture (c:\\program files\\torvik\\logo)");
    w.close();
    EXPECT_EQ(stored(settings::ForeGroundColor), "<missing>");
}

TEST_F(ColorSelectTest, WideningBeyond7000TwipsResizesTheViewport)
{
    logo("logo", 1000, 30);
    ColorSelect& w = open();
    const int border = w.frameGeometry().width() - w.width();
    EXPECT_EQ(w.Frame1->width(), qRound((w.frameGeometry().width() * 15 - 6145) / 15.0));
    auto resizeOuter = [&](int outer) {
        w.resize(outer - border, w.height());
        QApplication::processEvents();
    };
    resizeOuter(466);  // 6990 twips
    const QRect before = w.Frame1->geometry();
    EXPECT_GT(before.width(), 800);
    resizeOuter(467);  // 7005 twips
    EXPECT_EQ(w.Frame1->width(), 57);
    EXPECT_EQ(w.VScroll1->x(), 368 + 57);
    EXPECT_EQ(w.HScroll1->width(), 57);
    EXPECT_EQ(w.viewport().horizontal.maximum, 15000 - 860);
    resizeOuter(400);
    EXPECT_EQ(w.Frame1->width(), 57);
}

}  // namespace
