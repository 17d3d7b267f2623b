#pragma once
#include <QByteArray>
#include <QString>

namespace platform {
class FileSystem;
}

namespace handoff {

/// One run per store at a time where the file server carries locks: an advisory lock on a file in
/// the store folder, held by an open file description, so it dies with its process (no stale lock
/// after a kill). The file holds a few lines naming the holder and its heartbeat.
class StoreLock {
public:
    StoreLock() = default;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock() { release(); }

    /// Takes the lock of `lockPath` (Windows path text). Returns false when another descriptor
    /// holds it; text() then holds what the file says. Raises platform::Error when the file cannot
    /// be created or opened.
    bool tryTake(platform::FileSystem& fs, const QString& lockPath);
    bool held() const { return fd_ >= 0; }
    /// What the lock file holds now (after a failed tryTake: what it held then).
    QString text();
    /// Replaces what the lock file holds; false when it cannot be written.
    bool write(const QByteArray& text);
    /// True when the file this lock holds is no longer the one at its path: deleted, or replaced.
    bool lost() const;
    /// Lets the lock go; the text stays for whoever reads it (StoreSession clears its own).
    void release();

private:
    int fd_ = -1;
    QByteArray hostPath_;
    QString lastText_;
};

}  // namespace handoff
