#include "mailer/document/font_table.h"

#include "platform/design_fonts.h"
#include "platform/error.h"

#include <QFile>
#include <cmath>

namespace document {

DesignFontFile designFontFile(const QString& designFamily)
{
    DesignFontFile file;
    file.family = platform::installedFamily(designFamily);
    file.path = QFile::decodeName(platform::fontFile(file.family).c_str());
    // As QRawFont reads a file it is given by name: the same bytes, the same face.
    QFile in(file.path);
    if (in.open(QIODevice::ReadOnly))
        file.bytes = in.readAll();
    return file;
}

QRawFont designFace(const DesignFontFile& file, double pointSize)
{
    QRawFont face(file.bytes, static_cast<int>(std::lround(pointSize * 20)), QFont::PreferNoHinting);
    if (!face.isValid())
        throw platform::Error(platform::Error::InvalidFileFormat,
                              QStringLiteral("The font file %1 of %2 cannot be read as TrueType. Reinstall %3")
                                  .arg(file.path, file.family, platform::fontPackage(file.family)),
                              QString());
    return face;
}

QRawFont designFace(const QString& designFamily, double pointSize)
{
    return designFace(designFontFile(designFamily), pointSize);
}

}  // namespace document
