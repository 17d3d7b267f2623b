#pragma once
#include <atomic>

namespace platform {

/// Sets `stop` at SIGTERM or SIGINT and tells the service manager at once that the run is
/// stopping; the run itself ends between two files. Call before any other thread starts: the
/// two signals are blocked here and in every thread started later, and taken by a thread of
/// their own, where telling the service manager is safe.
void stopOnSignals(std::atomic<bool>& stop);

}  // namespace platform
