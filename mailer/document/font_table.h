#pragma once
#include <QFont>
#include <QString>

namespace document {

/// The installed face that stands in for a face the designs name: Arial by Liberation Sans,
/// Arial Narrow by Liberation Sans Narrow, the MS Sans Serif faces by Liberation Sans (metric
/// twins, or the first of them when none is installed). Other names are used as they are. Asks the font database, which
/// costs more than painting a page: a DocumentCache keeps the answer for a run.
QString installedFamily(const QString& designFamily);

/// The font of a design family and point size, sized in twips (20 to the point) so that it
/// measures and paints the same on every device whose unit is one twip.
QFont designFont(const QString& designFamily, double pointSize);

}  // namespace document
