#pragma once
#include "mailer/input/mod_brevix.h"
#include "mailer/run/statement_paths.h"

#include <QString>
#include <functional>
#include <memory>

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

/// Turns one statement file into its PDF in the out folder and the PDF's archive copy.
class StatementJob {
public:
    /// `cache`: what the documents of the run share (the logo compressed, fonts, designs); without
    /// one the job keeps its own for every statement it renders.
    StatementJob(input::modBrevix& run, platform::FileSystem& fs, pdf::RenderCache* cache = nullptr);
    ~StatementJob();

    /// Reads the statement at StmtFile, with its invoice details when a detail file lies beside
    /// it, and writes its PDF page by page. Sets StmtPath, DetPath and HasDetails; the reader sets
    /// the mail values. Errors reach the caller. `beforeFile` runs once the statement is read and before the PDF is created; what
    /// it raises leaves no file. With a `runId` the PDF is written under the run's staged name
    /// beside its place (stagedPath()) and reaches its place only with publish().
    void write(const QString& StmtFile, const std::function<void()>& beforeFile, const QString& runId = {});
    /// Moves the staged PDF `staged` to its place `pdf` (when `recovering`, only when it is still
    /// staged), then makes the archive copy in `archiveFolder`; a PDF not to be mailed then leaves
    /// the out folder.
    void publish(const QString& staged, const QString& pdf, const QString& archiveFolder, bool noEmail,
                 bool recovering = false);
    /// Copies the PDF to the archive folder; never fails visibly. A PDF not to be mailed leaves
    /// the out folder only when its archive copy exists.
    void archive(const QString& archiveFolder, bool noEmail);

    /// The pages of the statement at StmtFile and, when its detail file exists and names an
    /// invoice, the invoice pages after them, handed to `sink` one by one as they are laid out.
    void render(const QString& StmtFile, document::PageSink& sink);
    /// The same into a PDF, which is titled after the statement ("Statement 12345 of 11/30/26").
    void render(const QString& StmtFile, pdf::PdfExport& exporter);

    /// Called between two pages of every PDF the job writes: the place for a keep-alive that a
    /// statement of many pages must not starve.
    std::function<void()> betweenPages;

    /// The PDF the last write() or publish() named.
    const QString& pdfPath() const { return pdfPath_; }
    /// Where the last write() left the PDF: its staged name, or pdfPath() without a run id.
    const QString& stagedPath() const { return stagedPath_; }
    /// Whether the last archive() left an archive copy.
    bool archived() const { return archived_; }
    /// The archive copy the last archive() left; empty when none.
    QString archiveCopy() const { return archived_ ? archiveFolder_ + bareName(pdfPath_) : QString(); }
    /// Why the last archive copy failed, said of its folder ("no \\h\tarnlnk (...); is the share
    /// mounted?"); empty when it did not fail.
    const QString& archiveProblem() const { return archiveProblem_; }

private:

    input::modBrevix& run_;
    platform::FileSystem& fs_;
    std::unique_ptr<pdf::RenderCache> ownCache_;
    pdf::RenderCache& cache_;
    QString pdfPath_;
    QString stagedPath_;
    QString date_;  // the statement date of the last statement rendered
    bool archived_ = false;
    QString archiveFolder_;
    QString archiveProblem_;
};

}  // namespace run
