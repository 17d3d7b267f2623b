#pragma once
#include <QByteArray>
#include <QRawFont>
#include <QString>

namespace document {

/// The face a design family prints in, at a point size in twips (20 to the point), read from the
/// very file the PDF embeds (platform::fontFile of platform::installedFamily): what is measured
/// and laid out is what prints. Raises platform::Error naming the family and the package to
/// install when that file is missing or cannot be read.
QRawFont designFace(const QString& designFamily, double pointSize);

/// The file a design family prints from, found and read once for all its sizes.
struct DesignFontFile {
    QString family;  ///< the installed family
    QString path;
    QByteArray bytes;
};
/// The file of a design family; raises platform::Error as designFace does.
DesignFontFile designFontFile(const QString& designFamily);
/// designFace from the family's file read before.
QRawFont designFace(const DesignFontFile& file, double pointSize);

}  // namespace document
