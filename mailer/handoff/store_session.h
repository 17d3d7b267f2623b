#pragma once
#include "mailer/handoff/store_lock.h"

#include <QString>
#include <functional>
#include <optional>

namespace platform {
class FileSystem;
}

namespace handoff {

/// Milliseconds of the wall clock; a parameter so that heartbeat rules are tested without waiting.
using WallClock = std::function<qint64()>;
WallClock systemClock();

/// A run refreshes its heartbeat this often; one that stood still for kStaleMs counts as dead.
constexpr qint64 kBeatMs = 5000;
constexpr qint64 kStaleMs = 6 * kBeatMs;

/// "<host>-<pid>-<start>": the name a run gives everything it writes before a hand-off, so that no
/// two runs ever write, rename or delete the same file. Letters, digits and '-' only.
QString makeRunId(const QString& host, qint64 pid, qint64 startMs);
/// True for a text makeRunId could have made.
bool isRunId(const QString& text);

/// One run's hold on a store, the lock and what keeps the store safe where the lock does not
/// hold: the store lock stops two runs doing the same work where the file server carries it; the
/// heartbeat (in the lock file and in this run's own file in the store folder) tells which runs
/// are alive where it does not, so that recovery touches only the claims of dead runs.
class StoreSession {
public:
    enum class Take { Taken, Busy, NotCarried };

    /// `holder` says who runs ("brevix --watch"); `lockPath` is the store's lock file.
    StoreSession(platform::FileSystem& fs, QString lockPath, QString holder, WallClock clock = systemClock(),
                 QString host = {}, qint64 pid = 0);
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;
    ~StoreSession();

    /// Takes the store: Busy when another run holds the lock (busyHolder() says who), NotCarried
    /// when the lock was granted but the lock file names another run whose heartbeat is fresh (the
    /// mount does not carry locks to the file server). Raises platform::Error when the lock file
    /// cannot be created or written.
    Take take();
    /// Whether this run still holds the store: false once its lock file was deleted or replaced,
    /// or names another run; the run then stops taking statements until take() succeeds again.
    /// Refreshes the heartbeat when it is due.
    bool stillHeld();
    /// Refreshes the heartbeat when kBeatMs passed since the last; cheap to call often.
    void beat();
    /// Whether the run of `runId` has ended: its heartbeat file is gone, its process is gone from
    /// this host, or its heartbeat stood still for kStaleMs. Never true for this run.
    bool isDead(const QString& runId);
    /// Lets the store go and removes this run's heartbeat file.
    void end();

    const QString& runId() const { return runId_; }
    bool held() const { return lock_.held(); }
    /// Who holds the store, as its lock file says, after take() gave Busy or NotCarried.
    const QString& busyHolder() const { return busyHolder_; }
    const QString& lockPath() const { return lockPath_; }

private:
    QString heartbeatPath(const QString& runId) const;
    QString heartbeatText() const;
    void writeHeartbeat();

    platform::FileSystem& fs_;
    QString lockPath_;
    QString holder_;
    WallClock clock_;
    QString host_;
    qint64 pid_;
    QString runId_;
    QString since_;
    StoreLock lock_;
    QString busyHolder_;
    qint64 lastBeatMs_ = 0;
    bool heartbeatWritten_ = false;
};

}  // namespace handoff
