#include "mailer/document/font_table.h"

#include "platform/design_fonts.h"
#include "platform/error.h"

#include <QFile>
#include <cmath>

namespace document {

QRawFont designFace(const QString& designFamily, double pointSize)
{
    const QString family = platform::installedFamily(designFamily);
    const QString file = QFile::decodeName(platform::fontFile(family).c_str());
    QRawFont face(file, static_cast<int>(std::lround(pointSize * 20)), QFont::PreferNoHinting);
    if (!face.isValid())
        throw platform::Error(platform::Error::InvalidFileFormat,
                              QStringLiteral("The font file %1 of %2 cannot be read as TrueType. Reinstall %3")
                                  .arg(file, family, platform::fontPackage(family)),
                              QString());
    return face;
}

}  // namespace document
