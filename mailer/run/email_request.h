#pragma once
#include "mailer/input/mod_brevix.h"
#include "mailer/input/statement_values.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace run {

/// The lines of a statement's e-mail request, Windows-1252 bytes: "[EMAIL]", MAILTO, the
/// optional FROM, BCC and BODYFILE, the given or built SUBJECT, and one ATTACH line naming the
/// PDF the job wrote and then every extra attachment.
std::vector<std::string> emailRequestLines(const input::StatementValues& run, const QString& pdfName,
                                           const QStringList& attachments);

/// Where the request of a statement goes: the store's in folder\STMT_<account>.TXT.
QString requestDestination(const input::modBrevix& settings, const input::StatementValues& statement);

}  // namespace run
