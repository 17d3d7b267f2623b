#include "platform/local_clock.h"

#include <mutex>

namespace platform {

QDateTime localNow()
{
    static std::mutex mutex;
    static qint64 minuteEnds = 0;  // the end of the minute the offset was asked in
    static int offset = 0;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    std::lock_guard<std::mutex> hold(mutex);
    if (ms >= minuteEnds || ms < minuteEnds - 60'000) {  // a new minute, or the clock set back
        offset = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        minuteEnds = (ms / 60'000 + 1) * 60'000;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
}

}  // namespace platform
