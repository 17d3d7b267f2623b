#pragma once
#include "colours/colour_dialog.h"

namespace huevane {

/// Qt's colour dialog, modal over its owner, not preset.
class PlatformColourDialog : public ColourDialog {
public:
    std::optional<QColor> choose(QWidget& owner) override;
};

}  // namespace huevane
