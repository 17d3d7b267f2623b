#pragma once
#include "colours/colour_dialog.h"

#include <QWidget>

namespace huevane {

/// The tiny window that owns the colour dialog while it is open.
class frmCD : public QWidget {
public:
    explicit frmCD(ColourDialog& dialog);

    /// Opens the colour dialog on `current`; nothing when the operator cancels.
    std::optional<QColor> ShowColor(const QColor& current) { return CD1.choose(*this, current); }

private:
    ColourDialog& CD1;
};

}  // namespace huevane
