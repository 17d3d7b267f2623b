#include "mailer/run/statement_mailer.h"

#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/file_system.h"

namespace run {

StatementMailer::StatementMailer(input::modBrevix& run, platform::FileSystem& fs)
    : run_(run), fs_(fs), job_(run, fs)
{
}

QString StatementMailer::nextStatement() const
{
    return fs_.firstMatch(tempFolder(run_.ServerName, run_.StoreNumber), QStringLiteral("*.txt"));
}

MailedStatement StatementMailer::mail(const QString& fileName, const QStringList& attachments)
{
    inputDeleted_ = false;
    MailedStatement result;
    result.file = fileName;
    run_.StmtPath = tempFolder(run_.ServerName, run_.StoreNumber) + QLatin1Char('\\') + fileName;
    job_.Process(run_.StmtPath);
    result.account = platform::fromCp1252(run_.AcctNo);
    result.pdfPath = job_.pdfPath();
    result.archived = job_.archived();

    // The request goes out before the input is deleted: a failure in between leaves the
    // statement to be processed again rather than lost.
    if (!run_.NoEmail) {
        writeEmailRequest(fs_, run_, bareName(job_.pdfPath()), attachments);
        result.mailed = true;
    }
    fs_.remove(run_.StmtPath);
    inputDeleted_ = true;
    if (run_.HasDetails)
        fs_.remove(run_.DetPath);
    return result;
}

}  // namespace run
