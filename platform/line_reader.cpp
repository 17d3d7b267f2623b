#include "platform/line_reader.h"

namespace platform {

std::string LineReader::readLine()
{
    const size_t end = bytes_.find_first_of("\r\n", pos_);
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
