#pragma once
#include <QColor>
#include <optional>

class QWidget;

namespace huevane {

/// The colour dialog that "Color Select" opens. Abstract so that tests can answer it.
class ColourDialog {
public:
    virtual ~ColourDialog() = default;
    /// Lets the operator choose a colour over `owner`, starting on `current`; nothing when the
    /// operator cancels.
    virtual std::optional<QColor> choose(QWidget& owner, const QColor& current) = 0;
};

}  // namespace huevane
