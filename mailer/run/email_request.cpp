#include "mailer/run/email_request.h"

#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"

namespace run {

std::vector<std::string> emailRequestLines(const input::StatementValues& statement, const QString& pdfName,
                                           const QStringList& attachments)
{
    std::vector<std::string> lines;
    lines.push_back("[EMAIL]");
    lines.push_back("MAILTO=" + statement.MailTo);
    if (!statement.MailFrom.empty())
        lines.push_back("FROM=" + statement.MailFrom);
    if (!statement.MailBcc.empty())
        lines.push_back("BCC=" + statement.MailBcc);
    if (!statement.MailSubject.empty())
        lines.push_back("SUBJECT=" + statement.MailSubject);
    else
        lines.push_back("SUBJECT=" + statement.CompanyLine + " STATEMENT " + statement.StmtRef);
    if (!statement.BodyFile.empty())
        lines.push_back("BODYFILE=" + statement.BodyFile);
    std::string attach = "ATTACH=statements\\out\\" + platform::toCp1252(pdfName);
    for (const QString& name : attachments)
        attach += "|statements\\out\\" + platform::toCp1252(name);
    lines.push_back(attach);
    return lines;
}

QString requestDestination(const input::modBrevix& settings, const input::StatementValues& statement)
{
    return inFolder(settings.ServerName, settings.StoreNumber) + QStringLiteral("\\STMT_")
           + platform::fromCp1252(statement.AcctNo)
           + QStringLiteral(".TXT");
}

}  // namespace run
