#include "mailer/document/page.h"

namespace document {
namespace {

QString alignName(Align align)
{
    switch (align) {
    case Align::Left: return QStringLiteral("left");
    case Align::Center: return QStringLiteral("center");
    case Align::Right: return QStringLiteral("right");
    }
    return {};
}

QString place(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString fillText(const Style& style)
{
    return style.fillColor.isValid() ? QStringLiteral(" fill ") + style.fillColor.name() : QString();
}

}  // namespace

QString PageItem::toText() const
{
    switch (kind) {
    case Kind::Text: {
        QString line = QStringLiteral("text %1 \"%2\" %3 %4 %5")
                           .arg(place(rect), text, alignName(style.align), style.family)
                           .arg(style.size);
        if (style.textColor != QColor(Qt::black))
            line += QStringLiteral(" color ") + style.textColor.name();
        if (fit == Fit::Words)
            line += QStringLiteral(" words");
        return line + fillText(style);
    }
    case Kind::Box: return QStringLiteral("box ") + place(rect) + fillText(style);
    case Kind::Line:
        return QStringLiteral("line %1,%2 %3,%4")
            .arg(rect.x())
            .arg(rect.y())
            .arg(rect.x() + rect.width())
            .arg(rect.y() + rect.height());
    case Kind::Image:
        return QStringLiteral("image %1 %2x%3").arg(place(rect)).arg(image.width()).arg(image.height());
    case Kind::CheckBox:
        return QStringLiteral("check %1 %2").arg(place(rect), checked ? QStringLiteral("ticked") : QStringLiteral("empty"));
    }
    return {};
}

void Page::setNumber(int number)
{
    for (PageItem& item : items_)
        if (item.number == PageItem::Number::PageNumber)
            item.text = QString::number(number);
}

void Page::setCount(int count)
{
    for (PageItem& item : items_)
        if (item.number == PageItem::Number::PageCount)
            item.text = QString::number(count);
}

QString Page::toText() const
{
    QString out;
    for (const PageItem& item : items_)
        out += item.toText() + QLatin1Char('\n');
    return out;
}

}  // namespace document
