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
    /// it raises leaves no file. With `staging`, the PDF is written under the name it gives for the
    /// PDF's place (stagedPath()), and reaches its place by the hand-off.
    void write(const QString& StmtFile, const std::function<void()>& beforeFile,
               const std::function<QString(const QString&)>& staging = {});
    /// The same with the detail file as the look found it (none when empty): not looked for again.
    void write(const QString& StmtFile, const QString& DetFile, const std::function<void()>& beforeFile,
               const std::function<QString(const QString&)>& staging);
    /// Copies the PDF to the archive folder; never fails visibly. A PDF not to be mailed leaves
    /// the out folder only when its archive copy exists.
    void archive(const QString& archiveFolder, bool noEmail);

    /// The pages of the statement at StmtFile and, when its detail file exists and names an
    /// invoice, the invoice pages after them, handed to `sink` one by one as they are laid out.
    void render(const QString& StmtFile, document::PageSink& sink);
    /// The same with the detail file given (none when empty), for files under claimed names.
    void render(const QString& StmtFile, const QString& DetFile, document::PageSink& sink);
    /// Writes the PDF of the statement at StmtFile, with the detail file given, whole at `target`.
    void writeTo(const QString& StmtFile, const QString& DetFile, const QString& target);
    /// The archive copy of `pdf`, as archive() makes it, from its bytes when given.
    void archiveCopy(const QString& pdf, const QString& archiveFolder, bool noEmail,
                     std::shared_ptr<const std::string> bytes = nullptr);
    /// The bytes of the last PDF written, when small enough to keep (a statement of a few pages).
    const std::shared_ptr<const std::string>& lastPdf() const { return bytes_; }
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
    /// Titles the document after the statement last rendered ("Statement 12345 of 11/30/26").
    void titleOf(pdf::PdfExport& exporter) const;

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
    std::shared_ptr<const std::string> bytes_;
};

}  // namespace run
