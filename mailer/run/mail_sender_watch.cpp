#include "mailer/run/mail_sender_watch.h"

#include "platform/file_system.h"
#include "settings/settings_keys.h"

#include <cmath>

namespace run {

MailSenderWatch::MailSenderWatch(platform::FileSystem& fs, QString inFolder, double waitMinutes, Clock now)
    : fs_(fs), in_(std::move(inFolder)), waitMs_(waitMinutes > 0 ? qint64(std::llround(waitMinutes * 60000)) : 0),
      now_(std::move(now))
{
}

MailSenderWatch::News MailSenderWatch::poll()
{
    const QDateTime now = now_();
    if (lastLook_.isValid() && lastLook_.msecsTo(now) < kLookEveryMs)
        return {};
    lastLook_ = now;
    const std::vector<platform::FolderEntry> listed = fs_.entries(in_, QStringLiteral("*.txt"), false);
    // A share out of reach has taken no request: the run says so on its own.
    if (listed.empty() && !fs_.isFolder(in_))
        return {};
    QHash<QString, QDateTime> seen;
    for (const platform::FolderEntry& entry : listed)
        if (entry.stamp.kind == platform::FileStamp::Regular)
            seen.insert(entry.name, firstSeen_.value(entry.name, now));
    firstSeen_ = seen;

    QString oldest;
    oldestSeen_ = QDateTime();
    for (auto it = firstSeen_.cbegin(); it != firstSeen_.cend(); ++it) {
        if (oldest.isEmpty() || it.value() < oldestSeen_ || (it.value() == oldestSeen_ && it.key() < oldest)) {
            oldest = it.key();
            oldestSeen_ = it.value();
        }
    }
    const qint64 age = oldest.isEmpty() ? 0 : oldestSeen_.msecsTo(now);
    const bool late = on() && !oldest.isEmpty() && age >= waitMs_;
    if (late && warning_.isEmpty()) {
        const qint64 minutes = age / 60000;
        warning_ = QStringLiteral("The mail sender has not taken %1 %2 from %3 for %4 %5 (the oldest, %6, since %7): "
                                  "statements are not reaching customers.")
                       .arg(firstSeen_.size())
                       .arg(firstSeen_.size() == 1 ? QStringLiteral("request") : QStringLiteral("requests"), in_)
                       .arg(minutes)
                       .arg(minutes == 1 ? QStringLiteral("minute") : QStringLiteral("minutes"), oldest,
                            firstSeen_.value(oldest).toString(QStringLiteral("HH:mm")));
        return {News::Warning, warning_};
    }
    if (!late && !warning_.isEmpty()) {
        warning_.clear();
        return {News::Notice, QStringLiteral("The mail sender takes the requests from %1 again: statements are "
                                             "reaching customers.")
                                  .arg(in_)};
    }
    return {};
}

double readMailWaitMinutes(const QString& text)
{
    bool ok = false;
    const double minutes = text.trimmed().toDouble(&ok);
    return ok && minutes >= 0 && std::isfinite(minutes) ? minutes : settings::kDefaultMailWaitMinutes;
}

}  // namespace run
