#pragma once
#include "mailer/run/headless_run.h"

#include <QDate>
#include <QString>
#include <ostream>

namespace platform {
class FileSystem;
}

namespace run {

/// Which lines of the delivery record to list: of one account (all when empty), from a day on
/// (all when invalid).
struct HistoryQuery {
    QString account;
    QDate since;
};

/// Lists the delivery record in `folder` (every run's files), newest first, one line per statement
/// as the record holds it (tab-separated). A file that is damaged or half-written is read up to
/// its last whole line and named in a warning on `err`. Returns 0, or 1 when the folder cannot be
/// read.
int listHistory(platform::FileSystem& fs, const QString& folder, const HistoryQuery& query, std::ostream& out,
                std::ostream& err);

/// `brevix --history`: the record of the store the options or the saved settings name.
int showHistory(const HeadlessOptions& options, const HistoryQuery& query, input::modBrevix& run,
                platform::FileSystem& fs, const settings::SettingsStore& store, std::ostream& out, std::ostream& err);

}  // namespace run
