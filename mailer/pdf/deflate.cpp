#include "mailer/pdf/deflate.h"

#include "platform/error.h"

#include <libdeflate.h>

#include <utility>
#include <vector>

namespace pdf {
namespace {

/// The compressors a thread's documents have finished with, by level: setting one up costs as much
/// as compressing a page, and a thread writes document after document. Compressing keeps no state
/// from one stream to the next, so the bytes are the same.
struct SpareCompressors {
    std::vector<std::pair<int, libdeflate_compressor*>> spare;
    ~SpareCompressors()
    {
        for (const auto& [level, compressor] : spare)
            libdeflate_free_compressor(compressor);
    }
    libdeflate_compressor* take(int level)
    {
        for (auto it = spare.begin(); it != spare.end(); ++it)
            if (it->first == level) {
                libdeflate_compressor* compressor = it->second;
                spare.erase(it);
                return compressor;
            }
        return libdeflate_alloc_compressor(level);
    }
    void giveBack(int level, libdeflate_compressor* compressor)
    {
        if (spare.size() >= 2) {  // a document's level, and a kept picture's or font's
            libdeflate_free_compressor(spare.front().second);
            spare.erase(spare.begin());
        }
        spare.emplace_back(level, compressor);
    }
};

thread_local SpareCompressors spareCompressors;

}  // namespace

Deflater::Deflater(int level) : level_(level), compressor_(spareCompressors.take(level))
{
    if (!compressor_)
        throw platform::Error(platform::Error::OutOfMemory,
                              QStringLiteral("Out of memory for the PDF compressor; close other programs and try again"),
                              QString());
}

Deflater::~Deflater()
{
    spareCompressors.giveBack(level_, compressor_);
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
