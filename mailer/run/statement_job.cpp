#include "mailer/run/statement_job.h"

#include "mailer/document/invoice_details.h"
#include "mailer/document/pages.h"
#include "mailer/document/statement.h"
#include "mailer/pdf/pdf_export.h"
#include "mailer/run/share_wait.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/path_mapper.h"

namespace run {
namespace {

/// Passes the invoice pages on once the detail file turned out to name an invoice.
class InvoicePages : public document::PageSink {
public:
    InvoicePages(document::PageSink& to, const input::modBrevix& run) : to_(to), run_(run) {}
    void addPage(document::Page&& page) override
    {
        if (run_.HeaderCount >= 1)
            to_.addPage(std::move(page));
    }
    void endRun(int pageCount) override
    {
        if (run_.HeaderCount >= 1)
            to_.endRun(pageCount);
    }

private:
    document::PageSink& to_;
    const input::modBrevix& run_;
};

}  // namespace

StatementJob::StatementJob(input::modBrevix& run, platform::FileSystem& fs) : run_(run), fs_(fs) {}

StatementJob::~StatementJob() = default;

void StatementJob::Process(const QString& StmtFile)
{
    write(StmtFile, nullptr);
    archive();
}

void StatementJob::write(const QString& StmtFile, const std::function<void()>& beforeFile)
{
    pdfPath_.clear();
    archived_ = false;
    pdf::PdfExport exporter(fs_);
    exporter.Option = 0;
    // The name holds StmtRef, which reading the statement sets: the file opens at the first page.
    exporter.NameFile = [&] {
        if (beforeFile)
            beforeFile();
        return pdfPathFor(StmtFile, platform::fromCp1252(run_.StmtRef));
    };
    exporter.BetweenPages = betweenPages;
    render(StmtFile, exporter);
    exporter.finish();
    pdfPath_ = exporter.FileName;
}

const document::Pages& StatementJob::render(const QString& StmtFile)
{
    combined_ = std::make_unique<document::Pages>();
    render(StmtFile, *combined_);
    return *combined_;
}

void StatementJob::render(const QString& StmtFile, document::PageSink& sink)
{
    run_.StmtPath = StmtFile;
    document::Statement statement(run_, fs_);
    statement.Run(sink);

    // The invoice pages follow only when the detail file names at least one invoice; an empty
    // one adds nothing.
    run_.HasDetails = false;
    run_.DetPath = detailPathFor(StmtFile);
    if (fs_.isFile(run_.DetPath)) {
        document::InvoiceDetails details(run_, fs_);
        InvoicePages invoices(sink, run_);
        details.Run(invoices);
        run_.HasDetails = true;
    }
}

void StatementJob::archive()
{
    // An archive copy replaces the earlier one in a single step, so the earlier copy is never
    // deleted before the new one exists.
    const QString name = fs_.isFile(pdfPath_) ? bareName(pdfPath_) : QString();
    const QString folder = archiveFolder(run_.ServerName, run_.StoreNumber, platform::fromCp1252(run_.StmtRef));
    archiveProblem_.clear();
    try {
        if (!name.isEmpty()) {
            fs_.copyReplacing(pdfPath_, folder + name);
            archived_ = fs_.isFile(folder + name);
        }
    } catch (const platform::Error& e) {
        archived_ = false;
        // Said of the folder, not of the file, so that one cause is one message for all statements.
        archiveProblem_ = missingFolder(fs_, folder.chopped(1));
        if (archiveProblem_.isEmpty())
            archiveProblem_ = QStringLiteral("Error %1: %2 in %3")
                                  .arg(e.number())
                                  .arg(e.description(), platform::withHostPath(folder.chopped(1)));
    }
    if (run_.NoEmail && archived_) {
        try {
            fs_.remove(pdfPath_);
        } catch (const platform::Error&) {
        }
    }
}

}  // namespace run
