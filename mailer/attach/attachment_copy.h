#pragma once
#include "mailer/input/mod_brevix.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {
class FileSystem;
}

namespace attach {

/// 1 when no entry equals `entry` exactly (letter case counts), else 0.
int32_t NotInList(const QStringList& entries, const QString& entry);

/// The text after the last "/" of a host path; empty for a path ending in "/".
QString GetFileName(const QString& path);

/// A chosen file that could not be copied, and why.
struct FailedCopy {
    QString path;
    QString reason;
};

/// Copies every chosen file into the out folder of run.ServerName and run.StoreNumber,
/// replacing files of the same name, and rebuilds run.AttachList from the bare names of the
/// files that arrived, each followed by a tab. Returns the files that could not be copied.
std::vector<FailedCopy> CopyAttachment(platform::FileSystem& fs, input::modBrevix& run, const QStringList& entries);

/// The message naming the files that could not be copied to `outFolder`.
QString failedCopiesMessage(const std::vector<FailedCopy>& failed, const QString& outFolder);

/// The out folder, where the mail sender finds the attachments.
QString attachmentFolder(const input::modBrevix& run);

}  // namespace attach
