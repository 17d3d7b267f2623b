#pragma once
#include "mailer/document/pages.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class FileSystem;
class FileWriter;
}

namespace pdf {

class Writer;
class RenderCache;

/// Writes pages as a PDF file through the file system, page by page as a report lays them out,
/// so a statement of any length is written in bounded memory. The file appears whole at
/// finish(), or not at all when anything fails before.
class PdfExport : public document::PageSink {
public:
    QString FileName;  ///< Windows path text of the target PDF
    /// Called after every page: the place for work that must happen while a long document is
    /// written.
    std::function<void()> BetweenPages;
    /// The document's title, as a viewer or an archive search shows it; set before finish().
    QString Title;
    /// A document of at most this many bytes is also kept in memory (keptBytes()), so that a copy
    /// of it is written without reading it back.
    size_t KeepUpTo = 0;

    /// `cache`: what the run's documents share; without one the export makes its own.
    explicit PdfExport(platform::FileSystem& fs, RenderCache* cache = nullptr);
    ~PdfExport() override;

    void addPage(document::Page&& page) override;
    void endRun(int pageCount) override;
    /// Ends the document and makes the file appear; raises platform::Error on failure.
    void finish();
    /// The bytes written, after finish(); null when they were more than KeepUpTo.
    std::shared_ptr<const std::string> keptBytes() const;

private:
    class FileOutput;
    void open();

    platform::FileSystem& fs_;
    RenderCache* cache_;
    std::unique_ptr<FileOutput> out_;
    std::unique_ptr<Writer> writer_;
    std::shared_ptr<const std::string> kept_;
};

}  // namespace pdf
