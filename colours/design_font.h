#pragma once
#include <QFont>

namespace huevane {

/// The designs' "MS Sans Serif" at `points`, as the nearest sans face installed
/// (Liberation Sans, then DejaVu Sans, then the system's default).
QFont designFont(double points, bool bold = false);

}  // namespace huevane
