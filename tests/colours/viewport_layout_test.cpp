#include "tests/colours/print_qt.h"
#include "colours/viewport_layout.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

TEST(ViewportLayout, ScrollRangesRunBelowZeroForSmallPicturesAndStopAt16Bits)
{
    struct Case {
        int picture, viewport, maximum;
        bool clamped;
    } cases[] = {
        {4000, 6675, -2675, false},
        {6675, 6675, 0, false},
        {39442, 6675, 32767, false},
        {39443, 6675, 32767, true},
        {0, 40000, -32768, true},
    };
    for (const Case& c : cases) {
        const ScrollRange r = ScrollRange::between(c.picture, c.viewport);
        EXPECT_EQ(r.minimum, 0);
        EXPECT_EQ(r.maximum, c.maximum) << c.picture;
        EXPECT_EQ(r.clamped, c.clamped) << c.picture;
        EXPECT_EQ(r.smallChange, 50);
        EXPECT_EQ(r.largeChange, 100);
    }
}

TEST(ViewportLayout, PlacesTheBarsAlongTheViewport)
{
    ViewportLayout layout;
    layout.layOutScrollBars({6000, 9000});
    EXPECT_EQ(layout.VScroll1, QRect(18135, 600, 255, 6675));
    EXPECT_EQ(layout.HScroll1, QRect(5520, 7275, 12615, 255));
    EXPECT_EQ(layout.vertical.maximum, 9000 - 6675);
    EXPECT_EQ(layout.horizontal.maximum, 6000 - 12615);
}

TEST(ViewportLayout, FollowsTheWindowWidthOnlyAbove7000Twips)
{
    ViewportLayout layout;
    layout.layOutScrollBars({6000, 9000});
    const ViewportLayout before = layout;
    EXPECT_FALSE(layout.windowResized(7000, {6000, 9000}));
    EXPECT_EQ(layout.Frame1, before.Frame1);

    EXPECT_TRUE(layout.windowResized(7001, {6000, 9000}));
    EXPECT_EQ(layout.Frame1, QRect(5520, 600, 856, 6675));
    EXPECT_EQ(layout.VScroll1, QRect(6376, 600, 255, 6675));
    EXPECT_EQ(layout.HScroll1, QRect(5520, 7275, 856, 255));
    EXPECT_EQ(layout.horizontal.maximum, 6000 - 856);
    EXPECT_EQ(layout.vertical.maximum, before.vertical.maximum);

    EXPECT_FALSE(layout.windowResized(5000, {6000, 9000}));
    EXPECT_EQ(layout.Frame1.width(), 856);
}

}  // namespace
