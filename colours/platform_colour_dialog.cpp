#include "colours/platform_colour_dialog.h"

#include "platform/access_keys.h"

#include <QColorDialog>
#include <QScreen>
#include <algorithm>

namespace huevane {

std::optional<QColor> PlatformColourDialog::choose(QWidget& owner, const QColor& current)
{
    QColorDialog CD1(current, &owner);
    platform::keepAccessKeysOutOfText(CD1);
    // Qt would centre the dialog on its tiny owner and the screen's edge would push it aside.
    QRect place(owner.frameGeometry().topLeft(), CD1.sizeHint());
    if (const QScreen* screen = owner.screen()) {
        const QRect room = screen->availableGeometry();
        place.moveRight(std::min(place.right(), room.right()));
        place.moveBottom(std::min(place.bottom(), room.bottom()));
        place.moveTopLeft(QPoint(std::max(place.left(), room.left()), std::max(place.top(), room.top())));
    }
    CD1.move(place.topLeft());
    if (CD1.exec() != QDialog::Accepted)
        return std::nullopt;
    return CD1.currentColor();
}

}  // namespace huevane
