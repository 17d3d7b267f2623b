#include "mailer/run/statement_documents.h"

#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"

namespace run {
namespace {

/// The fields a statement report would show; only the mail values are wanted here.
struct NoFields : input::ReportFields {
    void setField(std::string_view, const std::string&) override {}
};

}  // namespace

StatementDocuments::StatementDocuments(const input::modBrevix& settings, platform::FileSystem& fs, StatementJob& job)
    : settings_(settings), fs_(fs), job_(job)
{
}

QString StatementDocuments::detailOf(const QString& statement)
{
    return detailPathFor(statement);
}

handoff::Filing StatementDocuments::filingOf(const input::modBrevix& settings, const input::StatementValues& values,
                                             const QString& statement)
{
    handoff::Filing filing;
    const QString ref = platform::fromCp1252(values.StmtRef);
    filing.account = platform::fromCp1252(values.AcctNo);
    filing.mailTo = platform::fromCp1252(values.MailTo);
    filing.pdf = pdfPathFor(statement, ref);
    filing.archiveFolder = archiveFolder(settings.ServerName, settings.StoreNumber, ref);
    filing.mail = !values.NoEmail;
    if (filing.mail) {
        filing.destination = requestDestination(settings, values);
        filing.requestLines = emailRequestLines(values, bareName(filing.pdf), {});
    }
    return filing;
}

handoff::Filing StatementDocuments::describe(const QString& statement, const QString& file)
{
    input::StatementValues values;
    NoFields fields;
    std::unique_ptr<input::Details> details;
    const std::string text = fs_.readFile(file);
    platform::LineReader in(text);
    input::ReadInput(in, fields, details, values);
    return filingOf(settings_, values, statement);
}

std::shared_ptr<const std::string> StatementDocuments::render(const QString&, const QString& file,
                                                              const QString& detailFile, const QString& staged)
{
    return job_.write(job_.read(file), detailFile, staged);
}

handoff::Archived StatementDocuments::archive(const handoff::Filing& filing, std::shared_ptr<const std::string> bytes)
{
    return job_.archive(filing.pdf, filing.archiveFolder, !filing.mail, bytes);
}

}  // namespace run
