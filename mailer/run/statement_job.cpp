#include "mailer/run/statement_job.h"

#include "mailer/document/invoice_details.h"
#include "mailer/document/pages.h"
#include "mailer/document/statement.h"
#include "mailer/pdf/pdf_export.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/run/share_wait.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"

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

StatementJob::StatementJob(input::modBrevix& run, platform::FileSystem& fs, pdf::RenderCache* cache)
    : run_(run), fs_(fs), ownCache_(cache ? nullptr : std::make_unique<pdf::RenderCache>()),
      cache_(cache ? *cache : *ownCache_)
{
}

StatementJob::~StatementJob() = default;

void StatementJob::write(const QString& StmtFile, const std::function<void()>& beforeFile, const QString& runId)
{
    pdfPath_.clear();
    stagedPath_.clear();
    archived_ = false;
    pdf::PdfExport exporter(fs_, &cache_);
    // The name holds StmtRef, which reading the statement sets: the file opens at the first page.
    exporter.NameFile = [&] {
        if (beforeFile)
            beforeFile();
        pdfPath_ = pdfPathFor(StmtFile, platform::fromCp1252(run_.StmtRef));
        return runId.isEmpty() ? pdfPath_ : stagedPathFor(pdfPath_, runId);
    };
    exporter.BetweenPages = betweenPages;
    try {
        render(StmtFile, exporter);
        exporter.finish();
    } catch (const platform::Error& e) {
        // The operator knows the PDF by its name, not by the run's staged one.
        if (runId.isEmpty() || e.file() != exporter.FileName)
            throw;
        throw platform::Error(e.number(), e.description(), pdfPath_);
    }
    stagedPath_ = exporter.FileName;
}

void StatementJob::publish(const QString& staged, const QString& pdf, const QString& archiveFolder, bool noEmail,
                           bool recovering)
{
    pdfPath_ = pdf;
    archived_ = false;
    // Recovery finds a staged PDF already put in place by the run it finishes.
    if (staged != pdf && (!recovering || fs_.stamp(staged)))
        fs_.moveReplacing(staged, pdf);
    archive(archiveFolder, noEmail);
}

void StatementJob::render(const QString& StmtFile, pdf::PdfExport& exporter)
{
    render(StmtFile, static_cast<document::PageSink&>(exporter));
    exporter.Title = QStringLiteral("Statement ") + platform::fromCp1252(run_.AcctNo);
    if (!date_.isEmpty())
        exporter.Title += QStringLiteral(" of ") + date_;
    if (run_.HasDetails && run_.HeaderCount >= 1)
        exporter.Title += QStringLiteral(" with invoice details");
}

void StatementJob::render(const QString& StmtFile, document::PageSink& sink)
{
    run_.StmtPath = StmtFile;
    document::Statement statement(run_, fs_, &cache_.document());
    statement.Run(sink);
    date_ = platform::fromCp1252(statement.Fields().value(u"Date")).trimmed();

    // The invoice pages follow only when the detail file names at least one invoice; an empty
    // one adds nothing.
    run_.HasDetails = false;
    run_.DetPath = detailPathFor(StmtFile);
    if (fs_.isFile(run_.DetPath)) {
        document::InvoiceDetails details(run_, fs_, &cache_.document());
        InvoicePages invoices(sink, run_);
        details.Run(invoices);
        run_.HasDetails = true;
    }
}

void StatementJob::archive(const QString& folder, bool noEmail)
{
    // An archive copy replaces the earlier one in a single step, so the earlier copy is never
    // deleted before the new one exists.
    const QString name = fs_.isFile(pdfPath_) ? bareName(pdfPath_) : QString();
    archiveProblem_.clear();
    archiveFolder_ = folder;
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
                                  .arg(e.description(), fs_.withHostPath(folder.chopped(1)));
    }
    if (noEmail && archived_) {
        try {
            fs_.remove(pdfPath_);
        } catch (const platform::Error&) {
            // The archive step never stops a run: the archive copy exists, and a PDF that could not
            // leave the out folder is only a file too many there, with no request naming it.
        }
    }
}

}  // namespace run
