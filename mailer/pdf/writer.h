#pragma once
#include "mailer/document/pages.h"
#include "mailer/pdf/content_stream.h"
#include "mailer/pdf/deflate.h"
#include "mailer/pdf/pdf_file.h"

#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace document {
struct FaceMetrics;
}

namespace pdf {

struct Blob;
class FontProgram;
class RenderCache;

/// Where a document's bytes go, in order.
class Output {
public:
    virtual ~Output() = default;
    virtual void write(const char* data, size_t size) = 0;
};

/// Bytes kept in memory.
class StringOutput : public Output {
public:
    void write(const char* data, size_t size) override { bytes.append(data, size); }
    std::string bytes;
};

/// Serialises display lists as a PDF 1.7 document, page by page as they come: each page's
/// content is written when the page is added, and only what the end of the file needs (object
/// offsets, page references, which characters each font showed) is kept. Text is in simple
/// TrueType fonts with WinAnsiEncoding, so Windows-1252 bytes go in as they are; the fonts
/// are subset and embedded at the end. The bytes depend on the pages alone: no time, and an
/// /ID made from the content.
class Writer : public document::PageSink {
public:
    /// `cache`: what the run's documents share; without one the writer makes its own.
    explicit Writer(Output& out, RenderCache* cache = nullptr);
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void addPage(const document::Page& page);
    void addPage(document::Page&& page) override { addPage(static_cast<const document::Page&>(page)); }
    /// The page count texts left empty on the pages added since the last call print `pageCount`:
    /// every such page refers to one small drawing that is written now.
    void endRun(int pageCount) override;
    /// The document information that finish() writes: a title and the program that made it.
    void setInformation(const QString& title, const QString& producer)
    {
        title_ = title;
        producer_ = producer;
    }
    /// Writes the fonts, the page tree, the document information and the trailer.
    void finish();

    int pageCount() const { return static_cast<int>(pageIds_.size()); }

private:
    struct Font {
        const FontProgram* program;
        std::bitset<256> used;
    };
    struct PendingCount {
        std::string name;
        document::PageItem item;  ///< the box and style, at the page's origin
    };

    void draw(ContentStream& s, const document::PageItem& item);
    void text(ContentStream& s, const document::PageItem& item);
    /// A fitted text, placed from the stream's origin.
    void textRun(ContentStream& s, const document::PageItem& item, std::string bytes);
    void box(ContentStream& s, const document::PageItem& item);
    void line(ContentStream& s, const document::PageItem& item);
    void image(ContentStream& s, const document::PageItem& item);
    void checkBox(ContentStream& s, const document::PageItem& item);
    /// The resource name of the form that prints the run's page count in the item's box.
    std::string countForm(const document::PageItem& item);
    /// The resource name of the picture, written the first time it is shown.
    const std::string& imageName(const QImage& image);
    int fontFor(const document::Style& style);

    /// The font's subset, descriptor and dictionary; returns the dictionary's object.
    int writeFont(const Font& font);
    void writeResources(const std::string& fontEntries);
    void writePageTree();
    int writeInformation();

    PdfFile file_;
    std::unique_ptr<RenderCache> ownCache_;
    RenderCache& cache_;
    std::vector<int> pageIds_;
    std::vector<Font> fonts_;
    std::vector<std::pair<QString, int>> fontOf_;  // design family to fonts_ index
    /// The faces this document used: the run's cache, which the threads rendering share, is asked
    /// once per face rather than for every text.
    std::vector<std::pair<std::pair<QString, double>, const document::FaceMetrics*>> metricsOf_;
    std::map<qint64, std::string> images_;         // picture to resource name
    std::vector<std::pair<std::string, int>> xobjects_;  // resource name and object
    std::vector<PendingCount> pendingCounts_;
    int forms_ = 0;
    Deflater deflater_;
    bool finished_ = false;
    QString title_;
    QString producer_;
};

}  // namespace pdf
