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

// A statement of a few pages is a few dozen KiB; one of thousands of pages is read back instead.
constexpr size_t kKeepUpTo = 4 << 20;

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

void StatementJob::write(const QString& StmtFile, const std::function<void()>& beforeFile,
                         const std::function<QString(const QString&)>& staging)
{
    write(StmtFile, fs_.isFile(detailPathFor(StmtFile)) ? detailPathFor(StmtFile) : QString(), beforeFile, staging);
}

void StatementJob::write(const QString& StmtFile, const QString& DetFile, const std::function<void()>& beforeFile,
                         const std::function<QString(const QString&)>& staging)
{
    bytes_.reset();
    pdfPath_.clear();
    stagedPath_.clear();
    archived_ = false;
    pdf::PdfExport exporter(fs_, &cache_);
    // The name holds StmtRef, which reading the statement sets: the file opens at the first page.
    exporter.NameFile = [&] {
        if (beforeFile)
            beforeFile();
        pdfPath_ = pdfPathFor(StmtFile, platform::fromCp1252(run_.StmtRef));
        return staging ? staging(pdfPath_) : pdfPath_;
    };
    exporter.BetweenPages = betweenPages;
    exporter.KeepUpTo = kKeepUpTo;
    try {
        render(StmtFile, DetFile, exporter);
        titleOf(exporter);
        exporter.finish();
    } catch (const platform::Error& e) {
        // The operator knows the PDF by its name, not by the run's staged one.
        if (!staging || e.file() != exporter.FileName)
            throw;
        throw platform::Error(e.number(), e.description(), pdfPath_);
    }
    stagedPath_ = exporter.FileName;
    bytes_ = exporter.keptBytes();
}

void StatementJob::writeTo(const QString& StmtFile, const QString& DetFile, const QString& target)
{
    pdf::PdfExport exporter(fs_, &cache_);
    exporter.FileName = target;
    exporter.BetweenPages = betweenPages;
    exporter.KeepUpTo = kKeepUpTo;
    render(StmtFile, DetFile, exporter);
    titleOf(exporter);
    exporter.finish();
    bytes_ = exporter.keptBytes();
}

void StatementJob::archiveCopy(const QString& pdf, const QString& archiveFolder, bool noEmail,
                               std::shared_ptr<const std::string> bytes)
{
    pdfPath_ = pdf;
    bytes_ = std::move(bytes);
    archive(archiveFolder, noEmail);
}

void StatementJob::render(const QString& StmtFile, pdf::PdfExport& exporter)
{
    render(StmtFile, static_cast<document::PageSink&>(exporter));
    titleOf(exporter);
}

void StatementJob::titleOf(pdf::PdfExport& exporter) const
{
    exporter.Title = QStringLiteral("Statement ") + platform::fromCp1252(run_.AcctNo);
    if (!date_.isEmpty())
        exporter.Title += QStringLiteral(" of ") + date_;
    if (run_.HasDetails && run_.HeaderCount >= 1)
        exporter.Title += QStringLiteral(" with invoice details");
}

void StatementJob::render(const QString& StmtFile, document::PageSink& sink)
{
    const QString detail = detailPathFor(StmtFile);
    render(StmtFile, fs_.isFile(detail) ? detail : QString(), sink);
}

void StatementJob::render(const QString& StmtFile, const QString& DetFile, document::PageSink& sink)
{
    run_.StmtPath = StmtFile;
    document::Statement statement(run_, fs_, &cache_.document());
    statement.Run(sink);
    date_ = platform::fromCp1252(statement.Fields().value(u"Date")).trimmed();

    // The invoice pages follow only when the detail file names at least one invoice; an empty
    // one adds nothing.
    run_.HasDetails = false;
    run_.DetPath = DetFile;
    if (!DetFile.isEmpty()) {
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
    const QString name = bareName(pdfPath_);
    archiveProblem_.clear();
    archived_ = false;
    archiveFolder_ = folder;
    try {
        // From the bytes in hand where they were kept: a network share is not read back.
        if (bytes_)
            fs_.writeFile(folder + name, *bytes_);
        else
            fs_.copyReplacing(pdfPath_, folder + name);
        archived_ = true;
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
