#pragma once
#include <QString>
#include <atomic>
#include <ostream>

namespace platform {
class FileSystem;
class ServiceNotifier;
}  // namespace platform

namespace run {

/// What keeps `folder` (Windows path text, "\\host\share\...") out of reach: its share or
/// first folder that is not there, with the host path it maps to ("no \\host\parlow (/mnt/unc/host/parlow); is the share
/// mounted?"). Empty when the folder can be reached.
QString missingFolder(platform::FileSystem& fs, const QString& folder);

/// Tries every second until `folder` can be reached, saying what is missing once on `err` and
/// in the service status. Returns false when `stop` was set first.
bool waitForFolder(platform::FileSystem& fs, const QString& folder, platform::ServiceNotifier& service,
                   const std::atomic<bool>& stop, std::ostream& err);

}  // namespace run
