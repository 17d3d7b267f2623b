#include "mailer/run/statement_mailer.h"

#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"

namespace run {

StatementMailer::StatementMailer(input::modBrevix& run, platform::FileSystem& fs)
    : run_(run), fs_(fs), job_(run, fs)
{
}

bool StatementMailer::statementWaiting() const
{
    return !run_.StmtPath.isEmpty() && fs_.isFile(run_.StmtPath);
}

QString StatementMailer::nextStatement() const
{
    return fs_.firstMatch(tempFolder(run_.ServerName, run_.StoreNumber), QStringLiteral("*.txt"));
}

MailedStatement StatementMailer::mail(const QString& fileName, const QStringList& attachments)
{
    MailedStatement result;
    result.file = fileName;
    run_.StmtPath = tempFolder(run_.ServerName, run_.StoreNumber) + QLatin1Char('\\') + fileName;
    // The file's name goes into the PDF's name and the request's ATTACH line: a line end in it
    // would add lines of its own choosing to the request.
    if (!input::isSafeFileName(platform::toCp1252(fileName)))
        throw platform::Error(platform::Error::PathFileAccess, run_.StmtPath);
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
    // The detail file goes first: left behind, it would be printed with the account's next
    // statement of the same name.
    if (run_.HasDetails)
        fs_.remove(run_.DetPath);
    fs_.remove(run_.StmtPath);
    return result;
}

}  // namespace run
