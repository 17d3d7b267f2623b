#include "colours/colour_values.h"

#include <cmath>

namespace huevane {

Rgb rgbOf(int32_t colour)
{
    // The low byte is cleared before dividing, so the division is exact and keeps the sign;
    // % keeps the dividend's sign as the readout requires (-1 gives -1).
    const int32_t red = colour % 256;
    const int32_t green = (static_cast<int32_t>(static_cast<uint32_t>(colour) & 0xFFFFFF00u) / 256) % 256;
    const int32_t blue = static_cast<int32_t>((static_cast<uint32_t>(colour) & 0x00FF0000u) / 65536);
    return {red, green, blue};
}

QString readoutCaption(const QString& label, int32_t value)
{
    return label + (value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value);
}

QString pickMessage(int32_t colour)
{
    const Rgb rgb = rgbOf(colour);
    return QStringLiteral("Red: %1   Green: %2  Blue: %3").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

QColor toQColor(int32_t colour)
{
    const auto bits = static_cast<uint32_t>(colour);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

int32_t fromQColor(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

int32_t pixelColour(const QImage& picture, const QPointF& point)
{
    const auto x = static_cast<int>(std::lround(point.x()));
    const auto y = static_cast<int>(std::lround(point.y()));
    if (picture.isNull() || !picture.valid(x, y))
        return -1;
    return fromQColor(QColor(picture.pixel(x, y)));
}

}  // namespace huevane
