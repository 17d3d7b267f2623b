#include "mailer/handoff/settle_watch.h"

namespace handoff {

bool SettleWatch::settled(const QString& key, const platform::FileStamp& stamp, qint64 nowMs)
{
    if (settleMs_ <= 0)
        return true;
    auto it = seen_.find(key);
    if (it == seen_.end() || it->stamp != stamp) {
        seen_.insert(key, {stamp, nowMs});
        return false;
    }
    return nowMs - it->sinceMs >= settleMs_;
}

void SettleWatch::keepOnly(const QSet<QString>& present)
{
    for (auto it = seen_.begin(); it != seen_.end();)
        it = present.contains(it.key()) ? std::next(it) : seen_.erase(it);
}

}  // namespace handoff
