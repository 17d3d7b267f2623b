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

/// A request written whole in the store folder and not yet handed to the mail sender. Until
/// the hand-off it is the statement's journal: present means not handed off yet. Its name there
/// carries the writing run's id, so that no other run can replace, move or delete it.
struct PendingRequest {
    QString written;      ///< store folder\.STMT_<account>.<run>.TXT
    QString destination;  ///< in folder\STMT_<account>.TXT
};

/// Where the request of the statement just read is written by the run `runId` and where it
/// goes; a run of an earlier version (no id) wrote it as STMT_<account>.TXT.
PendingRequest requestPaths(const input::modBrevix& run, const QString& runId);

/// Writes the request in the store folder, flushed to disk.
PendingRequest writeEmailRequest(platform::FileSystem& fs, const input::modBrevix& run, const QString& pdfName,
                                 const QStringList& attachments, const QString& runId);

/// Moves the written request into the in folder by one rename, replacing a waiting request of
/// the same name, so that the mail sender only ever sees a whole file.
void handOff(platform::FileSystem& fs, const PendingRequest& request);

}  // namespace run
