#include "mailer/handoff/liveness.h"

#include "mailer/handoff/hidden_names.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace handoff {
namespace {

struct ProcessRuns {
    std::mutex mutex;
    QSet<QString> started;
    QSet<QString> live;
};
ProcessRuns& processRuns()
{
    static ProcessRuns runs;
    return runs;
}

bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

SteadyClock steadyClock()
{
    return [] {
        static const QElapsedTimer start = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return start.elapsed();
    };
}

Whereabouts Whereabouts::ofThisProcess()
{
    Whereabouts here;
    here.host = QSysInfo::machineHostName();
    here.pid = ::getpid();
    struct stat ns;
    if (::stat("/proc/self/ns/pid", &ns) == 0)
        here.pidNamespace = ns.st_ino;
    QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (boot.open(QIODevice::ReadOnly))
        here.bootId = QString::fromLatin1(boot.readAll()).trimmed();
    return here;
}

bool Whereabouts::sharesProcessesWith(const Whereabouts& other) const
{
    return !bootId.isEmpty() && bootId == other.bootId && host == other.host && pidNamespace != 0
           && pidNamespace == other.pidNamespace;
}

QString heartbeatText(const QString& holderLine, const QString& runId, const Whereabouts& where, quint64 beat)
{
    return QStringLiteral("%1\nrun %2\nhost %3\npid %4\npidns %5\nboot %6\nbeat %7\n")
        .arg(holderLine, runId, where.host)
        .arg(where.pid)
        .arg(where.pidNamespace)
        .arg(where.bootId)
        .arg(beat);
}

QString heartbeatValue(const QString& text, QLatin1String key)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(key) && line.size() > key.size() && line.at(key.size()) == QLatin1Char(' '))
            return line.mid(key.size() + 1).trimmed();
    return {};
}

Liveness::Liveness(platform::FileSystem& fs, QString storeFolder, Options options)
    : fs_(fs), storeFolder_(std::move(storeFolder)), options_(std::move(options))
{
    if (!options_.processGone)
        options_.processGone = processGone;
}

void Liveness::started(const QString& runId)
{
    std::lock_guard<std::mutex> lock(processRuns().mutex);
    processRuns().started.insert(runId);
    processRuns().live.insert(runId);
}

void Liveness::ended(const QString& runId)
{
    std::lock_guard<std::mutex> lock(processRuns().mutex);
    processRuns().live.remove(runId);
}

Liveness::State Liveness::judge(const QString& runId)
{
    if (options_.knowsOwnRuns) {
        std::lock_guard<std::mutex> lock(processRuns().mutex);
        if (processRuns().started.contains(runId))
            return processRuns().live.contains(runId) ? State::Alive : State::Ended;
    }
    QString text;
    try {
        text = QString::fromStdString(fs_.readFile(heartbeatPath(storeFolder_, runId)));
    } catch (const platform::Error& e) {
        // Unreadable is not gone; gone (deleted by hand, say) is only a heartbeat that stands still.
        if (e.number() != platform::Error::FileNotFound)
            return State::Unknown;
    }
    Whereabouts there;
    there.host = heartbeatValue(text, QLatin1String("host"));
    there.pidNamespace = heartbeatValue(text, QLatin1String("pidns")).toULongLong();
    there.bootId = heartbeatValue(text, QLatin1String("boot"));
    if (!text.isEmpty() && options_.self.sharesProcessesWith(there)
        && options_.processGone(heartbeatValue(text, QLatin1String("pid")).toLongLong()))
        return State::Ended;
    // Judged by this run's own clock only: how long it has seen the same beat.
    const qint64 now = options_.clock();
    auto seen = seen_.find(runId);
    if (seen == seen_.end()) {
        seen_.insert(runId, {text, now});
        return State::Unknown;
    }
    if (seen->text != text) {
        *seen = {text, now};
        return State::Alive;
    }
    return now - seen->since >= kStaleMs ? State::Dead : State::Unknown;
}

}  // namespace handoff
