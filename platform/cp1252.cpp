#include "platform/cp1252.h"

namespace platform {
namespace {

// Code points of the bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString fromCp1252(std::string_view bytes)
{
    // Written in place: every field of every line of a statement comes through here.
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (unsigned char c : bytes)
        *to++ = (c >= 0x80 && c < 0xA0) ? QChar(kHigh[c - 0x80]) : QChar(c);
    return out;
}

std::string toCp1252(const QString& text, bool* exact)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    if (exact)
        *exact = true;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u)
                found = i;
        if (found >= 0) {
            out += static_cast<char>(0x80 + found);
        } else {
            out += '?';
            if (exact)
                *exact = false;
        }
    }
    return out;
}

}  // namespace platform
