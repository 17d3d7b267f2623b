#pragma once
#include "platform/file_system.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace handoff {

/// Tells when a file stood still long enough to be taken whole: its stamp (size, modification
/// time, inode) was the same at two looks at least the settle time apart. Keys are the caller's
/// (a file's name or path); times are milliseconds on any steady clock.
class SettleWatch {
public:
    explicit SettleWatch(qint64 settleMs) : settleMs_(settleMs) {}

    /// Records this look at `key`; true when it has settled. With a settle time of 0, at once.
    bool settled(const QString& key, const platform::FileStamp& stamp, qint64 nowMs);
    /// Starts the wait of `key` again, as if it had just changed.
    void restart(const QString& key) { seen_.remove(key); }
    /// Forgets every key not in `present`, so the watch never grows beyond the folder.
    void keepOnly(const QSet<QString>& present);
    qint64 settleMs() const { return settleMs_; }

private:
    struct Look {
        platform::FileStamp stamp;
        qint64 sinceMs;
    };
    qint64 settleMs_;
    QHash<QString, Look> seen_;
};

}  // namespace handoff
