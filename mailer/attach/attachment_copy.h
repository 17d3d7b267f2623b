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

/// Why a file of this name cannot go with a mail, or an empty text when it can. The request
/// names the attachments on one line of Windows-1252 text with "|" between them, AttachList
/// ends each name with a tab, and the mail sender reads the name on Windows.
QString whyNotMailable(const QString& name);

/// The message that refuses the chosen file at `path`, naming it and saying why.
QString refusedAttachmentMessage(const QString& path, const QString& why);

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
