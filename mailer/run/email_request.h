#pragma once
#include "mailer/input/mod_brevix.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace platform {
class FileSystem;
}

namespace run {

/// The lines of a statement's e-mail request, Windows-1252 bytes: "[EMAIL]", MAILTO, the
/// optional FROM, BCC and BODYFILE, the given or built SUBJECT, and one ATTACH line naming the
/// PDF the job wrote and then every extra attachment.
std::vector<std::string> emailRequestLines(const input::modBrevix& run, const QString& pdfName,
                                           const QStringList& attachments);

/// Writes the request as STMT_<account>.TXT in the store folder, flushed to disk, then moves
/// it into the in folder, replacing a waiting request of the same name, so that the mail
/// sender only ever sees a whole file. Returns the request's path in the in folder.
QString writeEmailRequest(platform::FileSystem& fs, const input::modBrevix& run, const QString& pdfName,
                          const QStringList& attachments);

}  // namespace run
