#include "tests/colours/print_qt.h"
#include "colours/colour_values.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace huevane;

namespace {

// The readouts and the right-click text that show these parts are checked word for word in the
// window tests.
TEST(ColourValues, SplitsColoursWithTheReadoutsSignRules)
{
    struct Case {
        int32_t colour;
        int32_t red, green, blue;
    } cases[] = {
        {0, 0, 0, 0},        {0xFFF0D0, 208, 240, 255}, {0xE9E9FF, 255, 233, 233},        {-1, -1, -1, 255},
        {-256, 0, -1, 255}, {0x12345678, 0x78, 0x56, 0x34}, {INT32_MIN, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Rgb rgb = rgbOf(c.colour);
        EXPECT_EQ(std::make_tuple(rgb.red, rgb.green, rgb.blue), std::make_tuple(c.red, c.green, c.blue)) << c.colour;
    }
}

TEST(ColourValues, ReadsTheNearestPixelAndMinusOneOutsideThePicture)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixelColor(1, 1, QColor(208, 240, 255));
    EXPECT_EQ(pixelColour(picture, {1.4, 0.6}), 0xFFF0D0);
    EXPECT_EQ(pixelColour(picture, {0, 0}), 0);
    for (QPointF outside : {QPointF(2.6, 0), QPointF(-0.6, 1), QPointF(0, 2)})
        EXPECT_EQ(pixelColour(picture, outside), -1) << outside.x() << ',' << outside.y();
    EXPECT_EQ(pixelColour(QImage(), {0, 0}), -1);
}

}  // namespace
