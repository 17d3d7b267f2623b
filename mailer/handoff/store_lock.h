#pragma once
#include <QString>

namespace platform {
class FileSystem;
}

namespace handoff {

/// One run per store at a time: an advisory lock on a file in the store folder, held by an open
/// file description, so it dies with its process (no stale lock after a kill) and reaches the
/// other machines that share the folder over SMB. The file holds a line naming the holder.
class StoreLock {
public:
    StoreLock() = default;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock() { release(); }

    /// Takes the lock of `lockPath` (Windows path text) for `holder` ("brevix --watch"). Returns
    /// false and sets holder() to what the file says of the current holder when another run
    /// has it. Raises platform::Error when the file cannot be created or opened.
    bool tryTake(platform::FileSystem& fs, const QString& lockPath, const QString& holder);
    bool held() const { return fd_ >= 0; }
    /// The holder that the lock file names: this run's after tryTake succeeded.
    const QString& holder() const { return holder_; }
    void release();

private:
    int fd_ = -1;
    QString holder_;
};

}  // namespace handoff
