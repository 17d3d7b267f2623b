#pragma once
#include <QString>

namespace run {

/// Tells a person once per cause that statements go without their archive copy, rather than once
/// per statement: a share out of reach would otherwise fill the journal with the same warning.
class ArchiveWarning {
public:
    /// After each statement filed: the warning to give now, or empty. `problem` is why its archive
    /// copy failed, empty when the copy was made; a copy made ends the cause, so that a later
    /// failure is told again.
    QString after(const QString& problem);
    /// The cause being warned about, empty while the copies are made.
    const QString& cause() const { return cause_; }

private:
    QString cause_;
};

}  // namespace run
