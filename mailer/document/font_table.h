#pragma once
#include <QFont>
#include <QString>

namespace document {

/// The font of a design family (its installed face, platform::installedFamily) and point size, sized in twips (20 to the point) so that it
/// measures and paints the same on every device whose unit is one twip.
QFont designFont(const QString& designFamily, double pointSize);

}  // namespace document
