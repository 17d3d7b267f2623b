#pragma once
#include "mailer/input/mod_brevix.h"
#include "platform/journal_send.h"

#include <QString>
#include <atomic>
#include <optional>
#include <ostream>

namespace platform {
class FileSystem;
class ServiceNotifier;
}  // namespace platform
namespace settings {
class SettingsStore;
}

namespace run {

struct HeadlessOptions {
    bool watch = false;               ///< poll every second until stopped, else process once
    std::optional<QString> server;    ///< instead of the stored "Host", not saved
    std::optional<QString> store;     ///< instead of the stored "Directory", not saved
    platform::ServiceNotifier* service = nullptr;  ///< told what a watch run does, under systemd
    /// Where the journal is the output: each statement's line and the mail sender's warnings go
    /// there with fields of their own.
    platform::JournalSend journal;
};

/// Processes the waiting statements without a window: once, or every second until `stop` is
/// set (it is looked at between two files). One line per statement on `out`; what the window
/// would show goes to `err`. Returns 0, or 1 when an error ended the run (the statement file
/// it concerned stays in the temp folder).
int runHeadless(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
                const settings::SettingsStore& store, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop);

/// Renders one statement file (host path), with its invoice details when a detail file lies
/// where the job would look, into one PDF at `pdfPath`; files, mails and deletes nothing.
int renderStatement(const QString& statementFile, const QString& pdfPath, input::modBrevix& run,
                    platform::FileSystem& fs, const settings::SettingsStore& store, std::ostream& err);

}  // namespace run
