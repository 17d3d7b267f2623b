#include "mailer/pdf/deflate.h"

#include "platform/error.h"

#include <libdeflate.h>

namespace pdf {

Deflater::Deflater(int level) : compressor_(libdeflate_alloc_compressor(level))
{
    if (!compressor_)
        throw platform::Error(platform::Error::OutOfMemory,
                              QStringLiteral("Out of memory for the PDF compressor; close other programs and try again"),
                              QString());
}

Deflater::~Deflater()
{
    libdeflate_free_compressor(compressor_);
}

std::string Deflater::compress(std::string_view bytes)
{
    std::string out(libdeflate_zlib_compress_bound(compressor_, bytes.size()), '\0');
    const size_t size = libdeflate_zlib_compress(compressor_, bytes.data(), bytes.size(), out.data(), out.size());
    if (size == 0)  // cannot happen with a buffer of the bound's size
        throw platform::Error(platform::Error::Internal,
                              QStringLiteral("The PDF compressor could not compress a stream of %1 bytes")
                                  .arg(qulonglong(bytes.size())),
                              QString());
    out.resize(size);
    return out;
}

}  // namespace pdf
