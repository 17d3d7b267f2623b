#pragma once
#include <string>
#include <string_view>

namespace platform {

/// Reads a text file's bytes line by line. CR LF, CR and LF each end a line; the line end is
/// not part of the line, and the last line may lack one.
class LineReader {
public:
    explicit LineReader(std::string bytes) : bytes_(std::move(bytes)) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }
    /// The next line, without its end. Only call while !atEnd().
    std::string readLine();

private:
    std::string bytes_;
    size_t pos_ = 0;
};

/// Splits a line at every tab: "a\t\tb\t" gives "a", "", "b", "".
template <typename Out>
void splitTabs(std::string_view line, Out& fields)
{
    fields.clear();
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return;
        }
        fields.emplace_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

}  // namespace platform
