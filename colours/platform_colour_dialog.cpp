#include "colours/platform_colour_dialog.h"

#include "platform/access_keys.h"

#include <QColorDialog>

namespace huevane {

std::optional<QColor> PlatformColourDialog::choose(QWidget& owner)
{
    QColorDialog CD1(&owner);
    platform::keepAccessKeysOutOfText(CD1);
    if (CD1.exec() != QDialog::Accepted)
        return std::nullopt;
    return CD1.currentColor();
}

}  // namespace huevane
