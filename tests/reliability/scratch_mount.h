#pragma once
#include <QString>
#include <memory>

namespace reliability {

/// A mount made for one test and undone at its end: a small tmpfs, or a folder bound
/// read-only over itself. Mounts are only made inside a private mount namespace, so that a
/// crashed test leaves nothing mounted on the machine.
class ScratchMount {
public:
    /// Moves this process into a mount namespace of its own; false where the machine forbids it.
    static bool enterPrivateNamespace();

    /// A tmpfs of `kib` KiB over the folder `at`; null where mounting is not allowed.
    static std::unique_ptr<ScratchMount> tmpfs(const QString& at, int kib);
    /// The folder bound read-only over itself; null where mounting is not allowed.
    static std::unique_ptr<ScratchMount> readOnly(const QString& folder);

    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    /// Writes one file into the folder until the device has no room left; returns its path.
    static QString fill(const QString& folder);

private:
    explicit ScratchMount(QByteArray at) : at_(std::move(at)) {}
    QByteArray at_;
};

}  // namespace reliability
