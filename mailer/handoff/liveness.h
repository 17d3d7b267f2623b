#pragma once
#include <QHash>
#include <QString>
#include <functional>

namespace platform {
class FileSystem;
}

// Whether another run is still at work. A guess, and used only as one: it decides when another
// run's claims are finished by this run, never whether a statement is mailed (the rules of that
// are in claim_takeover.cpp).
namespace handoff {

/// Milliseconds of a clock that only goes forward; a parameter so that the rules are tested
/// without waiting. Never compared with another machine's clock.
using SteadyClock = std::function<qint64()>;
SteadyClock steadyClock();

/// A run refreshes its heartbeat this often; one whose heartbeat this run saw stand still for
/// kStaleMs counts as dead.
constexpr qint64 kBeatMs = 5000;
constexpr qint64 kStaleMs = 6 * kBeatMs;

/// Where a run runs: enough to tell, on this machine and in this process namespace, that its
/// process is gone. Host names alone do not tell (cloned workstations, containers).
struct Whereabouts {
    QString host;
    qint64 pid = 0;
    quint64 pidNamespace = 0;  ///< inode of /proc/self/ns/pid; 0 when unknown
    QString bootId;            ///< empty where hidden (a service with ProcSubset=pid)
    static Whereabouts ofThisProcess();
    /// A process id of `other` names a process of this machine and namespace.
    bool sharesProcessesWith(const Whereabouts& other) const;
};

/// A heartbeat's text: the holder's line, then "key value" lines.
QString heartbeatText(const QString& holderLine, const QString& runId, const Whereabouts& where, quint64 beat);
/// The value of the line "<key> <value>" in a heartbeat text.
QString heartbeatValue(const QString& text, QLatin1String key);

/// How a run judges the others of its store, from their heartbeat files.
class Liveness {
public:
    enum class State {
        Unknown,  ///< not watched long enough to tell
        Alive,    ///< seen beating, or a live run of this process
        Dead,     ///< seen standing still for kStaleMs: maybe only paused
        Ended,    ///< known to be over: ended in this process, or its process gone from this machine
    };
    struct Options {
        Whereabouts self = Whereabouts::ofThisProcess();
        SteadyClock clock = steadyClock();
        /// Whether a process of this machine has ended.
        std::function<bool(qint64 pid)> processGone;
        /// Whether the runs of this process are known from its own list (off in tests that play
        /// two workstations in one process).
        bool knowsOwnRuns = true;
    };

    Liveness(platform::FileSystem& fs, QString storeFolder, Options options);
    State judge(const QString& runId);
    bool isDead(const QString& runId) { return judge(runId) >= State::Dead; }
    const Options& options() const { return options_; }

    /// The runs of this process, started and ended: a run id of this process is alive exactly
    /// while its session lasts.
    static void started(const QString& runId);
    static void ended(const QString& runId);

private:
    struct Seen {
        QString text;
        qint64 since = 0;
    };
    platform::FileSystem& fs_;
    QString storeFolder_;
    Options options_;
    QHash<QString, Seen> seen_;
};

}  // namespace handoff
