#pragma once
#include "mailer/handoff/liveness.h"
#include "platform/held_file.h"

#include <QString>
#include <memory>

namespace platform {
class FileSystem;
}

namespace handoff {

/// One run's hold on a store: the store lock stops two runs doing the same work where the file
/// server carries it; the heartbeat (in the lock file and in this run's own file in the store
/// folder) lets the others judge whether this run is still at work where it does not. Neither is
/// what keeps a statement from being lost or mailed twice: claims are (claim_takeover.h).
class StoreSession {
public:
    enum class Take { Taken, Busy, NotCarried };

    /// `holder` says who runs ("brevix --watch"); `lockPath` is the store's lock file.
    StoreSession(platform::FileSystem& fs, QString lockPath, QString holder, Liveness::Options options = {});
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;
    ~StoreSession();

    /// Takes the store: Busy when another run holds the lock (busyHolder() says who), NotCarried
    /// when the lock was granted but the lock file names another run not known to be dead (the
    /// mount does not carry locks to the file server); othersAlive() then says whether it was seen
    /// beating. Raises platform::Error when the lock file cannot be created or written.
    Take take();
    /// Whether this run still holds the store: false once its lock file was deleted or replaced,
    /// or names another run; the run then takes no further claim until take() succeeds again.
    /// Refreshes the heartbeat when it is due.
    bool stillHeld();
    /// Refreshes the heartbeat when kBeatMs passed since the last; cheap to call often.
    void beat();
    /// Lets the store go and removes this run's heartbeat file.
    void end();

    const QString& runId() const { return runId_; }
    bool held() const { return lock_ != nullptr; }
    /// Who holds the store, as its lock file says, after take() gave Busy or NotCarried.
    const QString& busyHolder() const { return busyHolder_; }
    /// After NotCarried: the run named in the lock file was seen beating.
    bool otherSeenBeating() const { return otherAlive_; }
    const QString& lockPath() const { return lockPath_; }
    Liveness& liveness() { return liveness_; }

private:
    QString heartbeat() const;
    void writeHeartbeat();

    platform::FileSystem& fs_;
    QString lockPath_;
    QString storeFolder_;
    QString holder_;
    QString runId_;
    Liveness liveness_;
    std::unique_ptr<platform::HeldFile> lock_;
    QString busyHolder_;
    bool otherAlive_ = false;
    quint64 beats_ = 0;
    qint64 lastBeatMs_ = 0;
    bool heartbeatWritten_ = false;
};

}  // namespace handoff
