#include "mailer/run/email_request.h"

#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/file_system.h"

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

PendingRequest requestPaths(const input::modBrevix& run, const QString& runId)
{
    const QString account = QStringLiteral("STMT_") + platform::fromCp1252(run.AcctNo);
    const QString written = runId.isEmpty() ? account + QStringLiteral(".TXT")
                                            : QLatin1Char('.') + account + QLatin1Char('.') + runId + QStringLiteral(".TXT");
    return {storeFolder(run.ServerName, run.StoreNumber) + QLatin1Char('\\') + written,
            inFolder(run.ServerName, run.StoreNumber) + QLatin1Char('\\') + account + QStringLiteral(".TXT")};
}

PendingRequest writeEmailRequest(platform::FileSystem& fs, const input::modBrevix& run, const QString& pdfName,
                                 const QStringList& attachments, const QString& runId)
{
    const PendingRequest request = requestPaths(run, runId);
    fs.writeLines(request.written, emailRequestLines(run, pdfName, attachments));
    return request;
}

void handOff(platform::FileSystem& fs, const PendingRequest& request)
{
    fs.moveReplacing(request.written, request.destination);
}

}  // namespace run
