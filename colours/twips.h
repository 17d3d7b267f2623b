#pragma once
#include <QRect>
#include <QtGlobal>

namespace huevane {

// The window designs are in twips; the screen has 15 twips to a pixel.
inline constexpr int kTwipsPerPixel = 15;

inline int pixels(int twips)
{
    return qRound(twips / double(kTwipsPerPixel));
}

inline QRect pixels(const QRect& twips)
{
    return QRect(pixels(twips.left()), pixels(twips.top()), pixels(twips.width()), pixels(twips.height()));
}

inline int twips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

}  // namespace huevane
