#include "tests/colours/print_qt.h"
#include "colours/colour_selection.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace huevane;

namespace {

std::tuple<int32_t, int32_t, int32_t> parts(Rgb rgb) { return {rgb.red, rgb.green, rgb.blue}; }

/// Starts a selection as the window does: Invoice while all colours are 0, then the stored ones.
void start(ColourSelection& s, const DocumentColours& stored)
{
    s.selectFormType(FormType::Invoice);
    s.adoptStored(stored);
}

// Stored invoice colours of -1 leave the starting black; back on the invoice the row band turns
// white unless the statement shade is 0.
TEST(ColourSelection, StartsAndSwitchesFormTypesShowingOnlyColoursThatAreSet)
{
    for (int32_t shade : {0, 255, -1}) {
        ColourSelection s{nullptr};
        start(s, {-1, -1, -1, 0, 0xFFFFFF, shade});
        EXPECT_EQ(s.example().headingText, 0);
        EXPECT_EQ(s.example().headingFill, 0);
        EXPECT_EQ(parts(s.readout()), std::make_tuple(-1, -1, 255));
        s.selectFormType(FormType::Statement);
        s.selectFormType(FormType::Invoice);
        EXPECT_EQ(s.example().rowFill, shade == 0 ? 0 : 0xFFFFFF) << shade;
    }
}

TEST(ColourSelection, ApplyColorStoresTheColourOfTheSelectedRoleAndFormType)
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
        s.adoptStored({11, 22, 33, 44, 55, 66});
        s.selectFormType(c.type);
        s.selectRole(c.role);
        s.ApplyColor(7);
        EXPECT_EQ(s.colours(), c.expected) << int(c.role);
        EXPECT_EQ(parts(s.readout()), std::make_tuple(7, 0, 0));
        const ExampleColours& e = s.example();
        const int32_t shown[] = {e.headingText, e.headingFill, e.rowFill};  // by role
        EXPECT_EQ(shown[int(c.role)], 7);
    }
}

// The window tests cover the middle button and a second right press; these presses it cannot make.
TEST(ColourSelection, APressPicksOnlyInPickModeWithOneOfTheTwoButtonsOnAReadablePixel)
{
    ColourSelection s{nullptr};
    start(s, DocumentColours::defaults());
    s.enterPickMode();
    for (Qt::MouseButtons ignored : {Qt::LeftButton | Qt::RightButton, Qt::MouseButtons(Qt::NoButton)})
        EXPECT_EQ(s.press(ignored, 0x123456).kind, ColourSelection::Pick::Ignored);
    EXPECT_EQ(s.press(Qt::LeftButton, -1).kind, ColourSelection::Pick::Ignored);
    EXPECT_TRUE(s.pickMode());

    s.selectRole(Role::Background);
    EXPECT_FALSE(s.pickMode());
    s.enterPickMode();
    EXPECT_EQ(s.press(Qt::LeftButton, 0x123456).kind, ColourSelection::Pick::Applied);
    EXPECT_EQ(s.colours().BackGroundColor, 0x123456);
    EXPECT_FALSE(s.pickMode());
}

}  // namespace
