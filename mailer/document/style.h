#pragma once
#include <QColor>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace document {

enum class Align { Left, Center, Right };

/// How a control draws its text and background. An invalid fill colour means no fill.
struct Style {
    QString family = QStringLiteral("Arial");
    double size = 10;
    Align align = Align::Left;
    QColor textColor = Qt::black;
    QColor fillColor;
    bool freeText = false;  ///< names, descriptions, messages: may be cut after a whole word
    bool secondLine = false;  ///< a message carrying an amount: never cut, may take a second line
};

/// Applies a style description as the designs write it, on top of `base`:
/// parts separated by ", ", each a font ("Microsoft Sans Serif 8.5 pt"), an alignment
/// ("left", "center", "right"), "fill RGB(r,g,b)", "text RGB(r,g,b)", "free text" or
/// "second line".
/// Raises std::invalid_argument naming the part it cannot read.
Style parseStyle(QStringView text, const Style& base = Style());

/// A platform colour 0x00BBGGRR (red in the low byte) as a QColor.
QColor colourFromBgr(int32_t bgr);

}  // namespace document
