#include "mailer/pdf/deflate.h"

#include <stdexcept>
#include <zlib.h>

namespace pdf {

Deflater::Deflater() : stream_(new z_stream{})
{
    if (deflateInit(stream_, 6) != Z_OK) {
        delete stream_;
        throw std::bad_alloc();
    }
}

Deflater::~Deflater()
{
    deflateEnd(stream_);
    delete stream_;
}

std::string Deflater::compress(std::string_view bytes)
{
    deflateReset(stream_);
    std::string out(deflateBound(stream_, static_cast<uLong>(bytes.size())), '\0');
    stream_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream_->avail_in = static_cast<uInt>(bytes.size());
    stream_->next_out = reinterpret_cast<Bytef*>(out.data());
    stream_->avail_out = static_cast<uInt>(out.size());
    if (deflate(stream_, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("zlib could not compress a stream");
    out.resize(stream_->total_out);
    return out;
}

}  // namespace pdf
