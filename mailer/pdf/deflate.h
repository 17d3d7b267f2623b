#pragma once
#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace pdf {

/// zlib streams made with libdeflate, one compressor kept for every stream of a document,
/// since setting one up costs more than compressing a page.
class Deflater {
public:
    /// Level 1 for what is made for every document, higher for what is made once and kept.
    explicit Deflater(int level = 1);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    /// The zlib stream of the bytes.
    std::string compress(std::string_view bytes);

private:
    int level_;
    libdeflate_compressor* compressor_;
};

}  // namespace pdf
