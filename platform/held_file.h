#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

/// A file held under an advisory lock that dies with its holder's process (an open file
/// description lock, carried to the file server by the SMB client where the mount allows), so a
/// killed holder leaves no stale lock. The file holds a few lines saying who holds it.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    /// What the file holds now.
    virtual QString text() = 0;
    /// Replaces what the file holds; false when it cannot be written.
    virtual bool write(const QByteArray& text) = 0;
    /// True when the held file is no longer the one at its path: deleted, or replaced.
    virtual bool lost() = 0;
};

}  // namespace platform
