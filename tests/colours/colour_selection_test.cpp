#include "tests/colours/print_qt.h"
#include "colours/colour_selection.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

struct Readout {
    int32_t red, green, blue;
};
bool operator==(Rgb a, Readout b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

/// A selection started as the window starts it: Invoice while all colours are 0, then the stored ones.
class ColourSelectionTest : public ::testing::Test {
protected:
    void start(const DocumentColours& stored)
    {
        selection.selectFormType(FormType::Invoice);
        selection.adoptStored(stored);
    }
    static DocumentColours custom() { return {11, 22, 33, 44, 55, 66}; }

    int logoLoads = 0;
    ColourSelection selection{[this] { ++logoLoads; }};
};

TEST_F(ColourSelectionTest, StoredInvoiceColoursOfMinusOneLeaveTheStartingBlack)
{
    DocumentColours stored = DocumentColours::defaults();
    stored.ForeGroundColor = -1;
    stored.BackGroundColor = -1;
    start(stored);
    EXPECT_EQ(selection.example().headingText, 0);
    EXPECT_EQ(selection.example().headingFill, 0);
    EXPECT_TRUE(selection.readout() == (Readout{-1, -1, 255}));
    EXPECT_EQ(logoLoads, 1);
}

TEST_F(ColourSelectionTest, BackToInvoiceWhitensTheRowBandUnlessTheShadeIsZero)
{
    for (int32_t shade : {0, 255, -1}) {
        ColourSelection s{nullptr};
        DocumentColours stored = DocumentColours::defaults();
        stored.StmtShade = shade;
        s.selectFormType(FormType::Invoice);
        s.adoptStored(stored);
        s.selectFormType(FormType::Statement);
        s.selectFormType(FormType::Invoice);
        EXPECT_EQ(s.example().rowFill, shade == 0 ? 0 : 0xFFFFFF) << shade;
    }
}

TEST_F(ColourSelectionTest, ApplyColorStoresTheColourOfTheSelectedRoleAndFormType)
{
    struct Case {
        FormType type;
        Role role;
        DocumentColours expected;
    } cases[] = {
        {FormType::Invoice, Role::Foreground, {7, 22, 33, 44, 55, 66}},
        {FormType::Invoice, Role::Background, {11, 7, 33, 44, 55, 66}},
        {FormType::Statement, Role::Foreground, {11, 22, 33, 7, 55, 66}},
        {FormType::Statement, Role::Background, {11, 22, 33, 44, 7, 66}},
        {FormType::Statement, Role::Shade, {11, 22, 33, 44, 55, 7}},
    };
    for (const Case& c : cases) {
        ColourSelection s{nullptr};
        s.adoptStored(custom());
        s.selectFormType(c.type);
        s.selectRole(c.role);
        s.ApplyColor(7);
        EXPECT_EQ(s.colours(), c.expected) << int(c.role);
        EXPECT_EQ(s.colourOf(c.role), 7);
        EXPECT_TRUE(s.readout() == (Readout{7, 0, 0}));
        const ExampleColours& e = s.example();
        EXPECT_EQ((c.role == Role::Foreground ? e.headingText : c.role == Role::Background ? e.headingFill : e.rowFill), 7);
    }
}

TEST_F(ColourSelectionTest, APressPicksOnlyInPickModeWithOneOfTheTwoButtonsOnAReadablePixel)
{
    start(DocumentColours::defaults());
    using Pick = ColourSelection::Pick;
    EXPECT_EQ(selection.press(Qt::LeftButton, 0x123456).kind, Pick::Ignored);

    selection.enterPickMode();
    for (Qt::MouseButtons ignored : {Qt::MouseButtons(Qt::MiddleButton), Qt::LeftButton | Qt::RightButton,
                                     Qt::MouseButtons(Qt::NoButton)}) {
        EXPECT_EQ(selection.press(ignored, 0x123456).kind, Pick::Ignored);
        EXPECT_TRUE(selection.pickMode());
    }
    EXPECT_EQ(selection.press(Qt::LeftButton, -1).kind, Pick::Ignored);
    EXPECT_TRUE(selection.pickMode());

    const Pick shown = selection.press(Qt::RightButton, 0xFFF0D0);
    EXPECT_EQ(shown.kind, Pick::Shown);
    EXPECT_EQ(shown.message, "Red: 208   Green: 240  Blue: 255");
    EXPECT_EQ(selection.colours(), DocumentColours::defaults());

    selection.enterPickMode();
    selection.selectRole(Role::Background);
    EXPECT_FALSE(selection.pickMode());
    selection.enterPickMode();
    EXPECT_EQ(selection.press(Qt::LeftButton, 0x123456).kind, Pick::Applied);
    EXPECT_EQ(selection.colours().BackGroundColor, 0x123456);
    EXPECT_FALSE(selection.pickMode());
}

}  // namespace
