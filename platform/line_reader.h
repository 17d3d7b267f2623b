#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace platform {

/// Reads a text file's bytes line by line. CR LF, CR and LF each end a line; the line end is
/// not part of the line, and the last line may lack one.
class LineReader {
public:
    /// Puts up to `size` more bytes of the file into `buffer` and says how many; 0 at its end.
    using Pull = std::function<size_t(char* buffer, size_t size)>;

    explicit LineReader(std::string bytes) : bytes_(std::move(bytes)) {}
    /// Lines of bytes pulled a piece at a time, so that a file of any size is read in little memory.
    explicit LineReader(Pull pull) : pull_(std::move(pull)) {}

    bool atEnd();
    /// The next line, without its end. Only call while !atEnd().
    std::string readLine();

private:
    /// Appends the next piece; false at the end.
    bool more();

    std::string bytes_;
    size_t pos_ = 0;
    Pull pull_;
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
