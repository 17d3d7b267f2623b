#include "mailer/handoff/store_session.h"

#include "mailer/handoff/hidden_names.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <QDateTime>

#include <cerrno>

namespace handoff {
namespace {

QString firstLine(const QString& text)
{
    const QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    return line.isEmpty() ? QStringLiteral("another run") : line;
}

}  // namespace

StoreSession::StoreSession(platform::FileSystem& fs, QString lockPath, QString holder, Liveness::Options options)
    : fs_(fs),
      lockPath_(std::move(lockPath)),
      storeFolder_(folderOf(lockPath_).chopped(1)),
      runId_(newRunId()),
      liveness_(fs, storeFolder_, std::move(options))
{
    const Whereabouts& self = liveness_.options().self;
    holder_ = QStringLiteral("%1, process %2 on %3, since %4")
                  .arg(holder)
                  .arg(self.pid)
                  .arg(self.host, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    Liveness::started(runId_);
}

StoreSession::~StoreSession()
{
    end();
    Liveness::ended(runId_);
}

QString StoreSession::heartbeat() const
{
    return heartbeatText(holder_, runId_, liveness_.options().self, beats_);
}

void StoreSession::writeHeartbeat()
{
    lastBeatMs_ = liveness_.options().clock();
    ++beats_;
    const QString text = heartbeat();
    fs_.writeFile(heartbeatPath(storeFolder_, runId_), text.toStdString());
    heartbeatWritten_ = true;
    if (lock_)
        lock_->write(text.toUtf8());
}

StoreSession::Take StoreSession::take()
{
    busyHolder_.clear();
    otherAlive_ = false;
    // This run's own heartbeat exists before its first claim, so the others can watch it beat.
    writeHeartbeat();
    QString before;
    std::unique_ptr<platform::HeldFile> lock = fs_.holdFile(lockPath_, before);
    if (!lock) {
        busyHolder_ = firstLine(before);
        return Take::Busy;
    }
    before = lock->text();
    const QString other = heartbeatValue(before, QLatin1String("run"));
    if (!other.isEmpty() && other != runId_) {
        const Liveness::State state = liveness_.judge(other);
        if (state < Liveness::State::Dead) {
            // Granted, yet another run beats in the file: the lock stays on this machine.
            busyHolder_ = firstLine(before);
            otherAlive_ = state == Liveness::State::Alive;
            return Take::NotCarried;
        }
    }
    if (!lock->write(heartbeat().toUtf8()))
        throw platform::Error::fromErrno(errno ? errno : EIO, lockPath_);
    lock_ = std::move(lock);
    return Take::Taken;
}

bool StoreSession::stillHeld()
{
    if (!lock_)
        return false;
    // Read by its name, not through the held descriptor: a network client may keep serving a
    // deleted file to the descriptor, and number a new file of the same name as the old one.
    bool replaced = lock_->lost();
    try {
        replaced = replaced
                   || heartbeatValue(QString::fromStdString(fs_.readFile(lockPath_)), QLatin1String("run")) != runId_;
    } catch (const platform::Error& e) {
        replaced = replaced || e.number() == platform::Error::FileNotFound;
    }
    if (replaced) {
        lock_.reset();
        return false;
    }
    beat();
    return true;
}

void StoreSession::beat()
{
    if (heartbeatWritten_ && liveness_.options().clock() - lastBeatMs_ < kBeatMs)
        return;
    try {
        writeHeartbeat();
    } catch (const platform::Error&) {
        // A share out of reach fails the run's next step with its own message.
    }
}

void StoreSession::end()
{
    if (lock_ && !lock_->lost() && heartbeatValue(lock_->text(), QLatin1String("run")) == runId_)
        lock_->write({});
    lock_.reset();
    if (heartbeatWritten_) {
        heartbeatWritten_ = false;
        try {
            fs_.remove(heartbeatPath(storeFolder_, runId_));
        } catch (...) {
            // A heartbeat left behind stands still; the others then count this run as ended.
        }
    }
}

}  // namespace handoff
