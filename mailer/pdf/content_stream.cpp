#include "mailer/pdf/content_stream.h"

#include <charconv>

namespace pdf {

void appendNumber(std::string& s, double v)
{
    long long k = static_cast<long long>(v * 1000 + (v < 0 ? -0.5 : 0.5));
    if (k < 0) {
        s += '-';
        k = -k;
    }
    char buf[24];
    auto end = std::to_chars(buf, buf + sizeof buf, k / 1000).ptr;
    s.append(buf, end);
    int f = static_cast<int>(k % 1000);
    if (f) {
        char frac[4] = {'.', char('0' + f / 100), char('0' + f / 10 % 10), char('0' + f % 10)};
        int n = 4;
        while (frac[n - 1] == '0')
            --n;
        s.append(frac, static_cast<size_t>(n));
    }
    s += ' ';
}

void appendNumber(std::string& s, int v)
{
    char buf[16];
    s.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    s += ' ';
}

void appendTwips(std::string& s, int v)
{
    if (v < 0) {
        s += '-';
        v = -v;
    }
    const int hundredths = v * 5;
    char buf[16];
    s.append(buf, std::to_chars(buf, buf + sizeof buf, hundredths / 100).ptr);
    if (const int f = hundredths % 100) {
        s += '.';
        s += char('0' + f / 10);
        if (f % 10)
            s += char('0' + f % 10);
    }
    s += ' ';
}

void appendTwips(std::string& s, double v)
{
    appendNumber(s, v / 20);
}

void ContentStream::fill(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    if (fillKnown_ && rgb == fill_)
        return;
    fillKnown_ = true;
    fill_ = rgb;
    // A page switches between a few colours hundreds of times.
    for (const auto& [known, op] : colourOps_)
        if (known == rgb) {
            bytes_ += op;
            return;
        }
    std::string op;
    appendNumber(op, qRed(rgb) / 255.0);
    appendNumber(op, qGreen(rgb) / 255.0);
    appendNumber(op, qBlue(rgb) / 255.0);
    op += "rg\n";
    bytes_ += op;
    if (colourOps_.size() < 16)
        colourOps_.emplace_back(rgb, std::move(op));
}

bool ContentStream::font(int index, double pixelSize)
{
    if (index == font_ && pixelSize == fontSize_)
        return false;
    font_ = index;
    fontSize_ = pixelSize;
    bytes_ += "/F";
    number(index + 1);
    twips(pixelSize);
    bytes_ += "Tf ";
    return true;
}

void ContentStream::rect(const QRect& r, const char* op)
{
    twips(r.left() - originX_);
    twips(originY_ - r.top() - r.height());
    twips(r.width());
    twips(r.height());
    bytes_ += "re ";
    bytes_ += op;
    bytes_ += '\n';
}

void ContentStream::point(double x, double y)
{
    twips(x - originX_);
    twips(originY_ - y);
}

void ContentStream::literal(const std::string& bytes)
{
    bytes_ += '(';
    for (char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            bytes_ += '\\';
        else if (c == '\r') {
            bytes_ += "\\r";
            continue;
        } else if (c == '\n') {
            bytes_ += "\\n";
            continue;
        }
        bytes_ += c;
    }
    bytes_ += ')';
}

}  // namespace pdf
