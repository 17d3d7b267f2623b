#include "tests/colours/print_qt.h"
#include "colours/colour_values.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace huevane;

namespace {

// The readouts and the right-click text that show these parts are checked word for word in the
// window tests, as is the picking of the nearest pixel at the picture's edge.
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

}  // namespace
