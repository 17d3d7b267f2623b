#pragma once
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

struct hb_face_t;

namespace pdf {

/// A stream's bytes as they go into the file, with a digest that stands for them in the
/// document's /ID, so that a cached part is not hashed again for every document.
struct Blob {
    std::string bytes;
    std::string digest;
    size_t length1 = 0;  ///< length before compression
    std::string tag;     ///< a font subset's six-letter name prefix
};

/// An installed TrueType face as the PDF embeds it: its file opened and its tables read (a
/// RenderCache keeps it for a run). Widths and metrics are in thousandths of the em, as the PDF
/// gives them.
class FontProgram {
public:
    /// The program of an installed family ("Liberation Sans"); raises platform::Error
    /// naming the family when fontconfig finds no TrueType file for it.
    explicit FontProgram(const QString& installedFamily);
    FontProgram(const FontProgram&) = delete;
    FontProgram& operator=(const FontProgram&) = delete;

    const std::string& postScriptName() const { return postScriptName_; }
    /// The advance of a Windows-1252 code.
    double width(unsigned char code) const { return widths_[code]; }
    const int* bbox() const { return bbox_; }
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int capHeight() const { return capHeight_; }

    /// The face cut down with hb-subset to the rows of 16 Windows-1252 codes marked in `rows`
    /// (bit r: codes 16r to 16r + 15), without hinting, deflated. Made anew: a RenderCache
    /// keeps it for the documents of a run, which mostly use the same few rows.
    std::shared_ptr<const Blob> subset(uint16_t rows) const;

private:
    struct FaceDestroy {
        void operator()(hb_face_t* face) const;
    };

    std::unique_ptr<hb_face_t, FaceDestroy> face_;
    std::string file_;  ///< as fontconfig found it
    QString package_;   ///< what installs it, for messages
    std::string postScriptName_;
    double widths_[256] = {};
    int bbox_[4] = {};
    int ascent_ = 0, descent_ = 0, capHeight_ = 0;
};

}  // namespace pdf
