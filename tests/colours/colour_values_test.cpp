#include "tests/colours/print_qt.h"
#include "colours/colour_values.h"

#include <gtest/gtest.h>

using namespace huevane;

namespace {

TEST(ColourValues, SplitsColoursWithTheReadoutsSignRules)
{
    struct Case {
        int32_t colour;
        int32_t red, green, blue;
    } cases[] = {
        {0, 0, 0, 0},
        {0xFFF0D0, 208, 240, 255},
        {0xE9E9FF, 255, 233, 233},
        {-1, -1, -1, 255},
        {-256, 0, -1, 255},
        {0x12345678, 0x78, 0x56, 0x34},
        {INT32_MIN, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Rgb rgb = rgbOf(c.colour);
        EXPECT_EQ(rgb.red, c.red) << c.colour;
        EXPECT_EQ(rgb.green, c.green) << c.colour;
        EXPECT_EQ(rgb.blue, c.blue) << c.colour;
    }
}

TEST(ColourValues, WritesReadoutsAndThePickMessageWordForWord)
{
    EXPECT_EQ(readoutCaption("Red: ", 208), "Red:  208");
    EXPECT_EQ(readoutCaption("Red: ", 0), "Red:  0");
    EXPECT_EQ(readoutCaption("Green: ", -1), "Green: -1");
    EXPECT_EQ(pickMessage(0xFFF0D0), "Red: 208   Green: 240  Blue: 255");
    EXPECT_EQ(pickMessage(0), "Red: 0   Green: 0  Blue: 0");
}

TEST(ColourValues, ConvertsBetweenStoredAndDisplayColours)
{
    EXPECT_EQ(toQColor(0xE9E9FF), QColor(255, 233, 233));
    EXPECT_EQ(toQColor(-1), QColor(255, 255, 255));
    EXPECT_EQ(fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(fromQColor(toQColor(16773328)), 16773328);
}

TEST(ColourValues, ReadsTheNearestPixelAndMinusOneOutsideThePicture)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixelColor(1, 1, QColor(208, 240, 255));
    EXPECT_EQ(pixelColour(picture, {1.4, 0.6}), 0xFFF0D0);
    EXPECT_EQ(pixelColour(picture, {0, 0}), 0);
    EXPECT_EQ(pixelColour(picture, {2.6, 0}), -1);
    EXPECT_EQ(pixelColour(picture, {-0.6, 1}), -1);
    EXPECT_EQ(pixelColour(picture, {0, 2}), -1);
    EXPECT_EQ(pixelColour(QImage(), {0, 0}), -1);
}

}  // namespace
