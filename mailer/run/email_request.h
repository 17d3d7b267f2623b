#pragma once
#include "mailer/input/mod_brevix.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace run {

/// The lines of a statement's e-mail request, Windows-1252 bytes: "[EMAIL]", MAILTO, the
/// optional FROM, BCC and BODYFILE, the given or built SUBJECT, and one ATTACH line naming the
/// PDF the job wrote and then every extra attachment.
std::vector<std::string> emailRequestLines(const input::modBrevix& run, const QString& pdfName,
                                           const QStringList& attachments);

/// Where the request of the statement just read goes: in folder\STMT_<account>.TXT.
QString requestDestination(const input::modBrevix& run);

}  // namespace run
