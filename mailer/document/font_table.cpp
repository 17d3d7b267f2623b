#include "mailer/document/font_table.h"

#include "platform/design_fonts.h"

#include <cmath>

namespace document {

QFont designFont(const QString& designFamily, double pointSize)
{
    QFont font(platform::installedFamily(designFamily));
    font.setPixelSize(static_cast<int>(std::lround(pointSize * 20)));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

}  // namespace document
