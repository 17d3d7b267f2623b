#include "mailer/document/style.h"

#include <QRegularExpression>
#include <stdexcept>

namespace document {
namespace {

QColor parseRgb(QStringView part, QStringView rgb)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^RGB\((\d+),(\d+),(\d+)\)$)"));
    const auto m = pattern.match(rgb.toString());
    if (!m.hasMatch())
        throw std::invalid_argument("style part " + part.toString().toStdString());
    return QColor(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

}  // namespace

Style parseStyle(QStringView text, const Style& base)
{
    Style style = base;
    if (text.trimmed().isEmpty())
        return style;
    for (QStringView part : text.split(u", ")) {
        part = part.trimmed();
        if (part == u"left")
            style.align = Align::Left;
        else if (part == u"center")
            style.align = Align::Center;
        else if (part == u"right")
            style.align = Align::Right;
        else if (part == u"free text")
            style.freeText = true;
        else if (part == u"second line")
            style.secondLine = true;
        else if (part.startsWith(u"fill "))
            style.fillColor = parseRgb(part, part.mid(5));
        else if (part.startsWith(u"text "))
            style.textColor = parseRgb(part, part.mid(5));
        else if (part.endsWith(u" pt")) {
            const QStringView font = part.chopped(3);
            const qsizetype space = font.lastIndexOf(u' ');
            bool ok = false;
            const double size = space > 0 ? font.mid(space + 1).toDouble(&ok) : 0;
            if (!ok || size <= 0)
                throw std::invalid_argument("style part " + part.toString().toStdString());
            style.family = font.left(space).toString();
            style.size = size;
        } else {
            throw std::invalid_argument("style part " + part.toString().toStdString());
        }
    }
    return style;
}

QColor colourFromBgr(int32_t bgr)
{
    const auto v = static_cast<uint32_t>(bgr);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

}  // namespace document
