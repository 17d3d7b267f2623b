#pragma once
#include "colours/colour_dialog.h"

namespace huevane {

/// Qt's colour dialog, modal, its top left corner on its owner's (inside the screen).
class PlatformColourDialog : public ColourDialog {
public:
    std::optional<QColor> choose(QWidget& owner, const QColor& current) override;
};

}  // namespace huevane
