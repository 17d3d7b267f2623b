#pragma once
#include "mailer/input/mod_brevix.h"

namespace settings {
class SettingsStore;
}

namespace run {

/// Reads the three statement colours in order. A colour that cannot be read raises
/// platform::Error and stays not set (-1), as do those after it.
void readStatementColours(const settings::SettingsStore& store, input::modBrevix& run);
/// Reads the server host name and the store number, with their defaults for missing keys.
void readConnection(const settings::SettingsStore& store, input::modBrevix& run);
/// Why the server name or store number cannot stand in a path, or an empty text when both can.
QString connectionProblem(const input::modBrevix& run);
/// For a run without a window and without --server: says that no server is set and where to set
/// it, instead of the window's default "localhost"; empty when a server is set.
QString serverNotSet(const settings::SettingsStore& store);
/// The settle time: "SettleMs", or its default when missing or not a number of 0 or more.
qint64 readSettleMs(const settings::SettingsStore& store);
/// Days the delivery record keeps: "HistoryDays", or its default when missing or not a number of 1 or more.
int readHistoryDays(const settings::SettingsStore& store);
/// Saves "Host", then "Directory".
void saveConnection(settings::SettingsStore& store, const input::modBrevix& run);

}  // namespace run
