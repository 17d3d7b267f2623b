#pragma once
#include <string>
#include <string_view>

typedef struct z_stream_s z_stream;

namespace pdf {

/// zlib compression with one compressor state kept for every stream of a document, since
/// setting one up costs more than compressing a page.
class Deflater {
public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    /// The zlib stream of the bytes.
    std::string compress(std::string_view bytes);

private:
    z_stream* stream_;
};

}  // namespace pdf
