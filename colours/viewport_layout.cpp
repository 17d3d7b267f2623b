#include "colours/viewport_layout.h"

#include <algorithm>

namespace huevane {

ScrollRange ScrollRange::between(int pictureTwips, int viewportTwips)
{
    // Scroll values are 16-bit; a picture too large for them can be scrolled as far as they go.
    const long long difference = static_cast<long long>(pictureTwips) - viewportTwips;
    ScrollRange range;
    range.maximum = static_cast<int>(std::clamp(difference, -32768LL, 32767LL));
    range.clamped = range.maximum != difference;
    return range;
}

void ViewportLayout::layOutScrollBars(QSize pictureTwips)
{
    VScroll1 = QRect(Frame1.left() + Frame1.width(), Frame1.top(), VScroll1.width(), Frame1.height());
    vertical = ScrollRange::between(pictureTwips.height(), Frame1.height());
    HScroll1 = QRect(Frame1.left(), Frame1.top() + Frame1.height(), Frame1.width(), HScroll1.height());
    horizontal = ScrollRange::between(pictureTwips.width(), Frame1.width());
}

bool ViewportLayout::windowResized(int outerWidthTwips, QSize pictureTwips)
{
    if (outerWidthTwips <= 7000)
        return false;
    Frame1.setWidth(outerWidthTwips - 5520 - 625);
    VScroll1.moveLeft(Frame1.left() + Frame1.width());
    HScroll1.setWidth(Frame1.width());
    horizontal = ScrollRange::between(pictureTwips.width(), Frame1.width());
    return true;
}

}  // namespace huevane
