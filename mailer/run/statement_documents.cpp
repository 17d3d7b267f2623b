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

StatementDocuments::StatementDocuments(const input::modBrevix& run, platform::FileSystem& fs, StatementJob& job,
                                       input::modBrevix& jobValues)
    : run_(run), fs_(fs), job_(job), jobValues_(jobValues)
{
}

QString StatementDocuments::detailOf(const QString& statement)
{
    return detailPathFor(statement);
}

handoff::Filing StatementDocuments::filingOf(const input::modBrevix& values, const QString& statement)
{
    handoff::Filing filing;
    const QString ref = platform::fromCp1252(values.StmtRef);
    filing.account = platform::fromCp1252(values.AcctNo);
    filing.mailTo = platform::fromCp1252(values.MailTo);
    filing.pdf = pdfPathFor(statement, ref);
    filing.archiveFolder = archiveFolder(values.ServerName, values.StoreNumber, ref);
    filing.mail = !values.NoEmail;
    if (filing.mail) {
        filing.destination = requestDestination(values);
        filing.requestLines = emailRequestLines(values, bareName(filing.pdf), {});
    }
    return filing;
}

handoff::Filing StatementDocuments::describe(const QString& statement, const QString& file)
{
    input::modBrevix values = run_;
    values.clearStatementValues();
    NoFields fields;
    std::unique_ptr<input::Details> details;
    const std::string text = fs_.readFile(file);
    platform::LineReader in(text);
    input::ReadInput(in, fields, details, values);
    return filingOf(values, statement);
}

std::shared_ptr<const std::string> StatementDocuments::render(const QString&, const QString& file,
                                                              const QString& detailFile, const QString& staged)
{
    // With the run's colours and none of an earlier statement's values.
    jobValues_ = run_;
    jobValues_.clearStatementValues();
    job_.writeTo(file, detailFile, staged);
    return job_.lastPdf();
}

handoff::Archived StatementDocuments::archive(const handoff::Filing& filing, std::shared_ptr<const std::string> bytes)
{
    job_.archiveCopy(filing.pdf, filing.archiveFolder, !filing.mail, std::move(bytes));
    return {job_.archived(), job_.archiveProblem()};
}

}  // namespace run
