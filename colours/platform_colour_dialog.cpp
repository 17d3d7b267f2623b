#include "colours/platform_colour_dialog.h"

#include <QColorDialog>

namespace huevane {

std::optional<QColor> PlatformColourDialog::choose(QWidget& owner)
{
    QColorDialog CD1(&owner);
    if (CD1.exec() != QDialog::Accepted)
        return std::nullopt;
    return CD1.currentColor();
}

}  // namespace huevane
