#pragma once
#include <QDateTime>

namespace platform {

/// The time now as local time, held as its offset from UTC. The offset is asked of the time zone
/// once a minute (zones change offset only on a minute), not for each call: every asking reads
/// /etc/localtime, a cost on each line of the delivery record.
QDateTime localNow();

}  // namespace platform
