#include "tests/colours/print_qt.h"
#include "colours/viewport_layout.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace huevane;

namespace {

TEST(ViewportLayout, ScrollRangesRunBelowZeroForSmallPicturesAndStopAt16Bits)
{
    struct Case {
        int picture, viewport, maximum;
        bool clamped;
    } cases[] = {
        {4000, 6675, -2675, false}, {6675, 6675, 0, false},    {39442, 6675, 32767, false},
        {39443, 6675, 32767, true}, {0, 40000, -32768, true},
    };
    for (const Case& c : cases) {
        const ScrollRange r = ScrollRange::between(c.picture, c.viewport);
        EXPECT_EQ(std::make_tuple(r.minimum, r.maximum, r.clamped, r.smallChange, r.largeChange),
                  std::make_tuple(0, c.maximum, c.clamped, 50, 100)) << c.picture;
    }
}

}  // namespace
