#include "colours/design_font.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace huevane {

QFont designFont(double points, bool bold)
{
    QFont font = QGuiApplication::font();
    for (const char* family : {"Liberation Sans", "DejaVu Sans"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            font.setFamily(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace huevane
