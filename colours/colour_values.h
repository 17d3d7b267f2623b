#pragma once
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <cstdint>

// Colours as the documents store them: 32-bit signed, 0x00BBGGRR, -1 for "not set".
namespace huevane {

/// The red, green and blue readout of a colour. Negative colours give negative parts
/// (-1 gives -1, -1, 255): nothing checks the range, the operator sees what the arithmetic gives.
struct Rgb {
    int32_t red;
    int32_t green;
    int32_t blue;
};

Rgb rgbOf(int32_t colour);

/// One readout caption: the label ("Red: ") and the number with a leading blank unless it is
/// negative ("Red:  208", "Red: -1").
QString readoutCaption(const QString& label, int32_t value);

/// The right-click text: "Red: 208   Green: 240  Blue: 255".
QString pickMessage(int32_t colour);

/// The display colour of the low 24 bits.
QColor toQColor(int32_t colour);
int32_t fromQColor(const QColor& colour);

/// The colour of the pixel nearest to `point`, or -1 when the point lies outside the picture.
int32_t pixelColour(const QImage& picture, const QPointF& point);

}  // namespace huevane
