#pragma once
#include "mailer/handoff/handoff.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/input/statement_values.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class FileSystem;
}
namespace document {
class PageSink;
}
namespace pdf {
class PdfExport;
class RenderCache;
}

namespace run {

/// Draws statements already read into PDFs, in the run's colours, and makes their archive
/// copies. Decides nothing: what is drawn, and where, its caller chose.
class StatementJob {
public:
    /// `cache`: what the documents of the run share (the logo compressed, fonts, designs); without
    /// one the job keeps its own for every statement it renders.
    StatementJob(const input::modBrevix& settings, platform::FileSystem& fs, pdf::RenderCache* cache = nullptr);
    ~StatementJob();

    /// Reads the statement at `file` whole, a piece at a time from the disk.
    input::StatementFile read(const QString& file);

    /// Writes the PDF of `statement` whole at `target`, followed by the invoice pages of
    /// `detailFile` when it is not empty and names an invoice. Gives its bytes when small enough
    /// to keep (a statement of a few pages), else null.
    std::shared_ptr<const std::string> write(const input::StatementFile& statement, const QString& detailFile,
                                             const QString& target);
    /// The pages of `statement` and the invoice pages, handed to `sink` one by one as they are
    /// laid out; into a PDF, the document is titled after the statement.
    void render(const input::StatementFile& statement, const QString& detailFile, document::PageSink& sink);
    void render(const input::StatementFile& statement, const QString& detailFile, pdf::PdfExport& exporter);
    /// Reads and draws the statement file at `file`, with its detail file when one lies where the
    /// run would look for it.
    void render(const QString& file, document::PageSink& sink);
    void render(const QString& file, pdf::PdfExport& exporter);

    /// Copies the PDF to `archiveFolder` (with its trailing backslash), from its bytes when given;
    /// never fails visibly. A PDF not to be mailed leaves the out folder only once its archive
    /// copy exists.
    handoff::Archived archive(const QString& pdf, const QString& archiveFolder, bool noEmail,
                              const std::shared_ptr<const std::string>& bytes);

    /// Called between two pages of every PDF the job writes: the place for a keep-alive that a
    /// statement of many pages must not starve.
    std::function<void()> betweenPages;

private:
    /// Whether the last render added invoice pages.
    bool withInvoices_ = false;
    const input::modBrevix& settings_;
    platform::FileSystem& fs_;
    std::unique_ptr<pdf::RenderCache> ownCache_;
    pdf::RenderCache& cache_;
};

}  // namespace run
