#include "colours/design_font.h"

#include "platform/design_fonts.h"

#include <QGuiApplication>

namespace huevane {

QFont designFont(double points, bool bold)
{
    QFont font = QGuiApplication::font();
    const QString family = platform::windowFamily(QStringLiteral("MS Sans Serif"));
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace huevane
