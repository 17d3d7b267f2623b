#include "mailer/run/statement_job.h"

#include "mailer/document/invoice_details.h"
#include "mailer/document/pages.h"
#include "mailer/document/statement.h"
#include "mailer/input/statement_reader.h"
#include "mailer/pdf/pdf_export.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/run/share_wait.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"

namespace run {
namespace {

// A statement of a few pages is a few dozen KiB; one of thousands of pages is read back instead.
constexpr size_t kKeepUpTo = 4 << 20;

/// Passes the invoice pages on only once the detail file turned out to name an invoice: an
/// empty one adds nothing, and the report says so only at its end.
class InvoicePages : public document::PageSink {
public:
    InvoicePages(document::PageSink& to, const document::InvoiceDetails& details) : to_(to), details_(details) {}
    void addPage(document::Page&& page) override
    {
        if (details_.invoiceCount() >= 1)
            to_.addPage(std::move(page));
    }
    void endRun(int pageCount) override
    {
        if (details_.invoiceCount() >= 1)
            to_.endRun(pageCount);
    }

private:
    document::PageSink& to_;
    const document::InvoiceDetails& details_;
};

/// A field of the statement as the report shows it: the last value read.
std::string fieldOf(const input::StatementFile& statement, std::string_view name)
{
    for (auto it = statement.fields.rbegin(); it != statement.fields.rend(); ++it)
        if (it->first == name)
            return it->second;
    return {};
}

}  // namespace

StatementJob::StatementJob(const input::modBrevix& settings, platform::FileSystem& fs, pdf::RenderCache* cache)
    : settings_(settings), fs_(fs), ownCache_(cache ? nullptr : std::make_unique<pdf::RenderCache>()),
      cache_(cache ? *cache : *ownCache_)
{
}

StatementJob::~StatementJob() = default;

input::StatementFile StatementJob::read(const QString& file)
{
    // A piece at a time: a statement of millions of lines is held once, as its lines.
    std::shared_ptr<platform::FileReader> reader = fs_.openFile(file);
    platform::LineReader in([reader](char* buffer, size_t size) { return reader->read(buffer, size); });
    return input::readStatement(in);
}

std::shared_ptr<const std::string> StatementJob::write(const input::StatementFile& statement, const QString& detailFile,
                                                       const QString& target)
{
    pdf::PdfExport exporter(fs_, &cache_);
    exporter.FileName = target;
    exporter.BetweenPages = betweenPages;
    exporter.KeepUpTo = kKeepUpTo;
    render(statement, detailFile, exporter);
    exporter.finish();
    return exporter.keptBytes();
}

void StatementJob::render(const input::StatementFile& statement, const QString& detailFile, pdf::PdfExport& exporter)
{
    render(statement, detailFile, static_cast<document::PageSink&>(exporter));
    exporter.Title = QStringLiteral("Statement ") + platform::fromCp1252(statement.values.AcctNo);
    const QString date = platform::fromCp1252(fieldOf(statement, "Date")).trimmed();
    if (!date.isEmpty())
        exporter.Title += QStringLiteral(" of ") + date;
    if (withInvoices_)
        exporter.Title += QStringLiteral(" with invoice details");
}

void StatementJob::render(const input::StatementFile& statement, const QString& detailFile, document::PageSink& sink)
{
    document::Statement(settings_, statement, fs_, &cache_.document()).Run(sink);
    withInvoices_ = false;
    if (detailFile.isEmpty())
        return;
    document::InvoiceDetails details(detailFile, fs_, &cache_.document());
    InvoicePages invoices(sink, details);
    details.Run(invoices);
    withInvoices_ = details.invoiceCount() >= 1;
}

void StatementJob::render(const QString& file, document::PageSink& sink)
{
    const QString detail = detailPathFor(file);
    render(read(file), fs_.isFile(detail) ? detail : QString(), sink);
}

void StatementJob::render(const QString& file, pdf::PdfExport& exporter)
{
    const QString detail = detailPathFor(file);
    render(read(file), fs_.isFile(detail) ? detail : QString(), exporter);
}

handoff::Archived StatementJob::archive(const QString& pdf, const QString& folder, bool noEmail,
                                        const std::shared_ptr<const std::string>& bytes)
{
    // An archive copy replaces the earlier one in a single step, so the earlier copy is never
    // deleted before the new one exists. The first copy of a name is written in place: its
    // statement stays claimed until it is handed off, and whoever finishes a claim archives again,
    // so a copy cut short by a run's end is replaced whole before its statement goes out.
    handoff::Archived archived;
    try {
        // From the bytes in hand where they were kept: a network share is not read back.
        if (bytes)
            fs_.writeNewOrReplace(folder + bareName(pdf), *bytes);
        else
            fs_.copyReplacing(pdf, folder + bareName(pdf));
        archived.done = true;
    } catch (const platform::Error& e) {
        // Said of the folder, not of the file, so that one cause is one message for all statements.
        archived.problem = missingFolder(fs_, folder.chopped(1));
        if (archived.problem.isEmpty())
            archived.problem = QStringLiteral("Error %1: %2 in %3")
                                   .arg(e.number())
                                   .arg(e.description(), fs_.withHostPath(folder.chopped(1)));
    }
    if (noEmail && archived.done) {
        try {
            fs_.remove(pdf);
        } catch (const platform::Error&) {
            // The archive step never stops a run: the archive copy exists, and a PDF that could not
            // leave the out folder is only a file too many there, with no request naming it.
        }
    }
    return archived;
}

}  // namespace run
