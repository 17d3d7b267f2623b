#pragma once
#include "mailer/document/document_cache.h"
#include "mailer/pdf/font_program.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pdf {

/// A picture as a deflated RGB stream.
struct Picture {
    std::shared_ptr<const Blob> blob;
    int width = 0;
    int height = 0;
};

/// What every PDF of a run shares and makes once, as the document cache does for the reports:
/// the font programs, their subsets and the pictures compressed. The run owns one and hands it to
/// each writer; a writer given none makes its own. Safe to share between threads.
class RenderCache {
public:
    RenderCache();
    ~RenderCache();
    RenderCache(const RenderCache&) = delete;
    RenderCache& operator=(const RenderCache&) = delete;

    document::DocumentCache& document() { return document_; }

    /// The program of a design family's installed face; raises platform::Error naming the family
    /// when fontconfig finds no TrueType file for it.
    const FontProgram& font(const QString& designFamily);
    /// program.subset(rows), made once for each set of rows: most documents use the same few rows.
    std::shared_ptr<const Blob> subset(const FontProgram& program, uint16_t rows);
    /// The picture deflated, made once for the same image (QImage::cacheKey): the document cache
    /// gives every statement the same image of an unchanged logo.
    Picture picture(const QImage& image);

private:
    document::DocumentCache document_;
    std::mutex mutex_;
    std::map<QString, std::unique_ptr<FontProgram>> programs_;  // by installed family
    std::map<QString, const FontProgram*> byDesign_;
    std::map<std::pair<const FontProgram*, uint16_t>, std::shared_ptr<const Blob>> subsets_;
    std::list<std::pair<qint64, Picture>> pictures_;
};

/// The SHA-256 of `size` bytes in lower-case hex.
QByteArray sha256Hex(const char* data, size_t size);

}  // namespace pdf
