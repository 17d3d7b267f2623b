#include "mailer/handoff/store_session.h"

#include "platform/error.h"
#include "platform/file_system.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <mutex>
#include <unistd.h>

namespace handoff {
namespace {

QString firstLine(const QString& text)
{
    const QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    return line.isEmpty() ? QStringLiteral("another run") : line;
}

/// The value of the line "<key> <value>" in a heartbeat text.
QString valueOf(const QString& text, QLatin1String key)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(key) && line.size() > key.size() && line.at(key.size()) == QLatin1Char(' '))
            return line.mid(key.size() + 1).trimmed();
    return {};
}

const QRegularExpression& runIdPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z0-9-]+)-([0-9]+)-([0-9a-f]+)$"));
    return pattern;
}

/// The sessions alive in this process: a run id of this process that is not among them has ended,
/// as surely as one whose process is gone.
struct LiveSessions {
    std::mutex mutex;
    QSet<QString> ids;
};
LiveSessions& liveSessions()
{
    static LiveSessions live;
    return live;
}

QString plainHost(const QString& host)
{
    QString plain;
    for (const QChar c : host)
        if ((c.isLetterOrNumber() && c.unicode() < 0x80) || c == QLatin1Char('-'))
            plain += c;
    return plain.isEmpty() ? QStringLiteral("host") : plain.left(32);
}

}  // namespace

WallClock systemClock()
{
    return [] { return QDateTime::currentMSecsSinceEpoch(); };
}

QString makeRunId(const QString& host, qint64 pid, qint64 startMs)
{
    return QStringLiteral("%1-%2-%3").arg(plainHost(host)).arg(pid).arg(startMs, 0, 16);
}

bool isRunId(const QString& text)
{
    return runIdPattern().match(text).hasMatch();
}

StoreSession::StoreSession(platform::FileSystem& fs, QString lockPath, QString holder, WallClock clock, QString host,
                           qint64 pid)
    : fs_(fs),
      lockPath_(std::move(lockPath)),
      holder_(std::move(holder)),
      clock_(std::move(clock)),
      host_(plainHost(host.isEmpty() ? QSysInfo::machineHostName() : host)),
      pid_(pid > 0 ? pid : ::getpid())
{
    const qint64 now = clock_();
    runId_ = makeRunId(host_, pid_, now);
    {
        std::lock_guard<std::mutex> lock(liveSessions().mutex);
        liveSessions().ids.insert(runId_);
    }
    since_ = QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

StoreSession::~StoreSession()
{
    end();
    std::lock_guard<std::mutex> lock(liveSessions().mutex);
    liveSessions().ids.remove(runId_);
}

QString StoreSession::heartbeatPath(const QString& runId) const
{
    return lockPath_.left(lockPath_.lastIndexOf(QLatin1Char('\\')) + 1) + QStringLiteral(".brevix.%1.alive").arg(runId);
}

QString StoreSession::heartbeatText() const
{
    return QStringLiteral("%1, process %2 on %3, since %4\nrun %5\nbeat %6\n")
        .arg(holder_)
        .arg(pid_)
        .arg(QSysInfo::machineHostName(), since_, runId_)
        .arg(lastBeatMs_);
}

void StoreSession::writeHeartbeat()
{
    lastBeatMs_ = clock_();
    const QString text = heartbeatText();
    fs_.writeFile(heartbeatPath(runId_), text.toStdString());
    heartbeatWritten_ = true;
    if (lock_.held())
        lock_.write(text.toUtf8());
}

StoreSession::Take StoreSession::take()
{
    busyHolder_.clear();
    // This run's own heartbeat exists before its first claim, so no other run mistakes it for dead.
    writeHeartbeat();
    if (!lock_.tryTake(fs_, lockPath_)) {
        busyHolder_ = firstLine(lock_.text());
        return Take::Busy;
    }
    const QString before = lock_.text();
    const QString other = valueOf(before, QLatin1String("run"));
    if (!other.isEmpty() && other != runId_ && !isDead(other)) {
        // Granted, yet another run beats in the file: the lock stays on this machine.
        busyHolder_ = firstLine(before);
        lock_.release();
        return Take::NotCarried;
    }
    if (!lock_.write(heartbeatText().toUtf8()))
        throw platform::Error::fromErrno(errno ? errno : EIO, lockPath_);
    return Take::Taken;
}

bool StoreSession::stillHeld()
{
    if (!lock_.held())
        return false;
    // Read by its name, not through the held descriptor: a network client may keep serving a
    // deleted file to the descriptor, and number a new file of the same name as the old one.
    bool replaced = lock_.lost();
    try {
        replaced = replaced || valueOf(QString::fromStdString(fs_.readFile(lockPath_)), QLatin1String("run")) != runId_;
    } catch (const platform::Error& e) {
        replaced = replaced || e.number() == platform::Error::FileNotFound;
    }
    if (replaced) {
        lock_.release();
        return false;
    }
    beat();
    return true;
}

void StoreSession::beat()
{
    if (heartbeatWritten_ && clock_() - lastBeatMs_ < kBeatMs)
        return;
    try {
        writeHeartbeat();
    } catch (const platform::Error&) {
        // A share out of reach fails the run's next step with its own message.
    }
}

bool StoreSession::isDead(const QString& runId)
{
    if (runId == runId_)
        return false;
    const QRegularExpressionMatch id = runIdPattern().match(runId);
    if (!id.hasMatch())
        return true;
    if (id.captured(1) == host_) {
        const pid_t pid = pid_t(id.captured(2).toLongLong());
        if (pid == ::getpid()) {
            std::lock_guard<std::mutex> lock(liveSessions().mutex);
            return !liveSessions().ids.contains(runId);
        }
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            return true;
    }
    if (!fs_.stamp(heartbeatPath(runId)))
        return true;
    QString text;
    try {
        text = QString::fromStdString(fs_.readFile(heartbeatPath(runId)));
    } catch (const platform::Error&) {
        return false;  // not readable now: not known to be dead
    }
    bool ok = false;
    const qint64 beatMs = valueOf(text, QLatin1String("beat")).toLongLong(&ok);
    return ok && clock_() - beatMs > kStaleMs;
}

void StoreSession::end()
{
    if (lock_.held() && !lock_.lost() && valueOf(lock_.text(), QLatin1String("run")) == runId_)
        lock_.write({});
    lock_.release();
    if (heartbeatWritten_) {
        heartbeatWritten_ = false;
        try {
            fs_.remove(heartbeatPath(runId_));
        } catch (...) {
            // A heartbeat left behind goes stale; other runs then count this one as dead.
        }
    }
}

}  // namespace handoff
