#include "mailer/run/email_request.h"

#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"

namespace run {

std::vector<std::string> emailRequestLines(const input::modBrevix& run, const QString& pdfName,
                                           const QStringList& attachments)
{
    std::vector<std::string> lines;
    lines.push_back("[EMAIL]");
    lines.push_back("MAILTO=" + run.MailTo);
    if (!run.MailFrom.empty())
        lines.push_back("FROM=" + run.MailFrom);
    if (!run.MailBcc.empty())
        lines.push_back("BCC=" + run.MailBcc);
    if (!run.MailSubject.empty())
        lines.push_back("SUBJECT=" + run.MailSubject);
    else
        lines.push_back("SUBJECT=" + run.CompanyLine + " STATEMENT " + run.StmtRef);
    if (!run.BodyFile.empty())
        lines.push_back("BODYFILE=" + run.BodyFile);
    std::string attach = "ATTACH=statements\\out\\" + platform::toCp1252(pdfName);
    for (const QString& name : attachments)
        attach += "|statements\\out\\" + platform::toCp1252(name);
    lines.push_back(attach);
    return lines;
}

QString requestDestination(const input::modBrevix& run)
{
    return inFolder(run.ServerName, run.StoreNumber) + QStringLiteral("\\STMT_") + platform::fromCp1252(run.AcctNo)
           + QStringLiteral(".TXT");
}

}  // namespace run
