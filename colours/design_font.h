#pragma once
#include <QFont>

namespace huevane {

/// The designs' "MS Sans Serif" at `points`, as the window face the font table gives for it
/// (platform::windowFamily), or the system's default when none is installed.
QFont designFont(double points, bool bold = false);

}  // namespace huevane
