#pragma once
#include <QRawFont>
#include <QString>

namespace document {

/// The face a design family prints in, at a point size in twips (20 to the point), read from the
/// very file the PDF embeds (platform::fontFile of platform::installedFamily): what is measured
/// and laid out is what prints. Raises platform::Error naming the family and the package to
/// install when that file is missing or cannot be read.
QRawFont designFace(const QString& designFamily, double pointSize);

}  // namespace document
