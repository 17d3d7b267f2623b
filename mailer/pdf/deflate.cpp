#include "mailer/pdf/deflate.h"

#include <libdeflate.h>
#include <new>
#include <stdexcept>

namespace pdf {

Deflater::Deflater(int level) : compressor_(libdeflate_alloc_compressor(level))
{
    if (!compressor_)
        throw std::bad_alloc();
}

Deflater::~Deflater()
{
    libdeflate_free_compressor(compressor_);
}

std::string Deflater::compress(std::string_view bytes)
{
    std::string out(libdeflate_zlib_compress_bound(compressor_, bytes.size()), '\0');
    const size_t size = libdeflate_zlib_compress(compressor_, bytes.data(), bytes.size(), out.data(), out.size());
    if (size == 0)
        throw std::runtime_error("libdeflate could not compress a stream");
    out.resize(size);
    return out;
}

}  // namespace pdf
