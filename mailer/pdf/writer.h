#pragma once
#include "mailer/document/pages.h"
#include "mailer/pdf/deflate.h"

#include <QCryptographicHash>
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
        double pageHeight;
    };

    int newObject();
    void beginObject(int id);
    void writeStream(int id, const std::string& dictionary, const std::string& bytes, const std::string* digest = nullptr);
    void put(const std::string& bytes);
    void put(const char* bytes, size_t size);
    void flushOut();

    int fontFor(const document::Style& style);
    void text(std::string& s, const document::PageItem& item, double pageHeight);
    /// A fitted text with its coordinates taken from (originX, originY), a bottom left corner in twips.
    void textRun(std::string& s, const document::PageItem& item, double originX, double originY, std::string bytes);
    void image(std::string& s, const document::PageItem& item, double pageHeight);
    void colour(std::string& s, const QColor& c);
    std::string countForm(const document::PageItem& item, double pageHeight);

    Output& out_;
    std::unique_ptr<RenderCache> ownCache_;
    RenderCache& cache_;
    std::string buffer_;
    uint64_t written_ = 0;
    std::vector<uint64_t> offsets_;  // by object number; 0 unused
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
    QRgb fill_ = 0;  // the fill colour in force in the stream being written
    bool fillKnown_ = false;
    std::vector<std::pair<QRgb, std::string>> colourOps_;
    int textFont_ = -1;  // the font and size in force, -1 when none is
    double textSize_ = 0;
    Deflater deflater_;
    QCryptographicHash hash_{QCryptographicHash::Md5};
    bool finished_ = false;
    QString title_;
    QString producer_;
};

}  // namespace pdf
