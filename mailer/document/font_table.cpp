#include "mailer/document/font_table.h"

#include <QFontDatabase>
#include <cmath>
#include <initializer_list>

namespace document {
namespace {

struct Substitute {
    const char* design;
    std::initializer_list<const char*> installed;  // first installed one wins
};

// Metric twins only: a face of other widths would print figures out of their boxes, so when none
// is installed the first is named and the PDF writer says which package to install.
const Substitute kSubstitutes[] = {
    {"Arial", {"Liberation Sans", "Arimo"}},
    {"Arial Narrow", {"Liberation Sans Narrow"}},
    {"MS Sans Serif", {"Liberation Sans"}},
    {"Microsoft Sans Serif", {"Liberation Sans"}},
};

}  // namespace

QString installedFamily(const QString& designFamily)
{
    for (const Substitute& s : kSubstitutes) {
        if (designFamily.compare(QLatin1String(s.design), Qt::CaseInsensitive) != 0)
            continue;
        for (const char* face : s.installed)
            if (QFontDatabase::hasFamily(QLatin1String(face)))
                return QLatin1String(face);
        return QLatin1String(*s.installed.begin());
    }
    return designFamily;
}

QFont designFont(const QString& designFamily, double pointSize)
{
    QFont font(installedFamily(designFamily));
    font.setPixelSize(static_cast<int>(std::lround(pointSize * 20)));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

}  // namespace document
