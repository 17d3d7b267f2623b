#pragma once
#include <QRect>
#include <QSize>

namespace huevane {

/// A scroll bar's range in twips. The maximum is negative when the picture is smaller than the
/// viewport: the bar then runs from 0 down to it and the picture moves right (or down).
struct ScrollRange {
    int minimum = 0;
    int maximum = 0;
    int smallChange = 50;
    int largeChange = 100;
    bool clamped = false;  ///< the difference did not fit 16 bits and was cut to -32768..32767

    /// The range for a picture extent in a viewport extent, both in twips.
    static ScrollRange between(int pictureTwips, int viewportTwips);
};

/// Where the logo viewport `Frame1` and its scroll bars sit, in twips of the window's client
/// area, and how far they scroll.
class ViewportLayout {
public:
    QRect Frame1{5520, 600, 12615, 6675};
    QRect VScroll1{18120, 720, 255, 735};
    QRect HScroll1{5520, 7320, 735, 255};
    ScrollRange vertical;
    ScrollRange horizontal;

    /// Places both bars along Frame1 and sets both ranges for a picture of `pictureTwips`.
    void layOutScrollBars(QSize pictureTwips);

    /// Follows a new outer window width: above 7000 twips Frame1 widens or narrows with the
    /// window, VScroll1 moves along and HScroll1 takes Frame1's width and a new range. At 7000
    /// or less nothing moves. True when the layout changed.
    bool windowResized(int outerWidthTwips, QSize pictureTwips);
};

}  // namespace huevane
