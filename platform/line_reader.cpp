#include "platform/line_reader.h"

namespace platform {

bool LineReader::more()
{
    constexpr size_t kPiece = 1 << 16;
    if (!pull_)
        return false;
    bytes_.erase(0, pos_);
    pos_ = 0;
    const size_t had = bytes_.size();
    bytes_.resize(had + kPiece);
    const size_t got = pull_(bytes_.data() + had, kPiece);
    bytes_.resize(had + got);
    if (got == 0)
        pull_ = nullptr;
    return got > 0;
}

bool LineReader::atEnd()
{
    return pos_ >= bytes_.size() && !more();
}

std::string LineReader::readLine()
{
    size_t end = bytes_.find_first_of("\r\n", pos_);
    // A line may go on in the next piece, and a CR at a piece's end may be half of a CR LF.
    while ((end == std::string::npos || (end + 1 == bytes_.size() && bytes_[end] == '\r')) && pull_) {
        const size_t done = end == std::string::npos ? bytes_.size() - pos_ : end - pos_;
        more();
        end = bytes_.find_first_of("\r\n", pos_ + done);
    }
    if (end == std::string::npos) {
        std::string line = bytes_.substr(pos_);
        pos_ = bytes_.size();
        return line;
    }
    std::string line = bytes_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (bytes_[end] == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n')
        ++pos_;
    return line;
}

}  // namespace platform
