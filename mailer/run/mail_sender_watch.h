#pragma once
#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>

namespace platform {
class FileSystem;
}

namespace run {

/// Watches the mail sender through the in folder: requests still waiting there after the allowed
/// time make one warning per episode, and one notice once they are taken. A request's age counts
/// from when this run first saw it (its own clock: never another machine's file times against
/// it). The in folder is listed once a minute at most, however often poll() is called.
class MailSenderWatch {
public:
    using Clock = std::function<QDateTime()>;
    static constexpr qint64 kLookEveryMs = 60 * 1000;

    /// `waitMinutes` of 0 or less turns the warnings off; the folder is still looked at for the
    /// figures.
    MailSenderWatch(platform::FileSystem& fs, QString inFolder, double waitMinutes,
                    Clock now = &QDateTime::currentDateTime);

    /// What a poll has to tell: the warning when an episode starts, the notice when it ends.
    struct News {
        enum Kind { Nothing, Warning, Notice } kind = Nothing;
        QString text;
    };
    /// Looks at the in folder when its minute has come.
    News poll();

    /// Requests waiting at the last look, and how long the oldest of them has waited by now.
    int waiting() const { return int(firstSeen_.size()); }
    qint64 oldestAgeMs() const { return oldestSeen_.isValid() ? oldestSeen_.msecsTo(now_()) : 0; }
    /// The warning of the episode going on; empty when none.
    const QString& warning() const { return warning_; }
    bool on() const { return waitMs_ > 0; }

private:
    platform::FileSystem& fs_;
    const QString in_;
    const qint64 waitMs_;
    Clock now_;
    QDateTime lastLook_;
    QHash<QString, QDateTime> firstSeen_;
    QDateTime oldestSeen_;
    QString warning_;
};

/// "MailWaitMinutes": the minutes a request may wait in the in folder (decimals allowed), its
/// default when missing or not a number of 0 or more.
double readMailWaitMinutes(const QString& text);

}  // namespace run
