#include "mailer/document/text_fit.h"

#include "mailer/document/font_table.h"
#include "platform/cp1252.h"

#include <algorithm>

namespace document {
namespace {

constexpr double kLeast = 0.7;  // free text narrows no further than this
constexpr double kSlack = 0.01;
constexpr double kGap = 0.25;  // of the em: a narrowed text keeps clear of its box's far edge, off its neighbour

double widthOf(const FaceMetrics& m, const std::string& bytes, size_t end)
{
    double w = 0;
    for (size_t i = 0; i < end; ++i)
        w += m.advance[static_cast<unsigned char>(bytes[i])];
    return w;
}

}  // namespace

FaceMetrics faceMetrics(const QString& designFamily, double pointSize)
{
    return faceMetrics(designFace(designFamily, pointSize));
}

FaceMetrics faceMetrics(const QRawFont& raw)
{
    FaceMetrics m;
    std::string all(256, ' ');
    for (int c = 0; c < 256; ++c)
        all[static_cast<size_t>(c)] = static_cast<char>(c);
    const QList<quint32> glyphs = raw.glyphIndexesForString(platform::fromCp1252(all));
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    for (int c = 0; c < 256; ++c)
        m.advance[c] = c < advances.size() ? advances[c].x() : 0;
    m.ascent = raw.ascent();
    m.pixelSize = raw.pixelSize();
    return m;
}

FittedText fitText(const PageItem& item)
{
    return fitText(faceMetrics(item.style.family, item.style.size), item, platform::toCp1252(item.text));
}

FittedText fitText(const FaceMetrics& m, const PageItem& item, std::string bytes)
{
    const double room = item.rect.width();
    FittedText out;
    double width = widthOf(m, bytes, bytes.size());
    if (width > room + kSlack && item.fit == PageItem::Fit::Designed) {
        // A designed text prints as it always has: up to the last whole character that fits.
        size_t end = 0;
        for (double w = 0; end < bytes.size(); ++end) {
            w += m.advance[static_cast<unsigned char>(bytes[end])];
            if (w > room + kSlack)
                break;
        }
        bytes.resize(end);
        width = widthOf(m, bytes, end);
    } else if (width > room + kSlack && width > 0) {
        if (item.fit == PageItem::Fit::Words && width * kLeast > room + kSlack) {
            // The longest run of whole words that fits at the least width; trailing spaces go.
            size_t cut = 0;
            size_t firstWord = std::string::npos;
            for (size_t i = 0; i <= bytes.size(); ++i) {
                if (i < bytes.size() && bytes[i] != ' ')
                    continue;
                size_t end = i;
                while (end > 0 && bytes[end - 1] == ' ')
                    --end;
                if (end == 0)
                    continue;
                if (firstWord == std::string::npos)
                    firstWord = end;
                if (widthOf(m, bytes, end) * kLeast <= room + kSlack)
                    cut = end;
                else
                    break;
            }
            bytes.resize(cut > 0 ? cut : std::min(firstWord, bytes.size()));
            width = widthOf(m, bytes, bytes.size());
        }
        if (width > room + kSlack)
            out.scale = std::max(room - std::min(kGap * m.pixelSize, room / 5), 1.0) / width;
    }
    const double shown = width * out.scale;
    out.x = item.rect.left();
    if (item.style.align == Align::Right)
        out.x = item.rect.left() + room - shown;
    else if (item.style.align == Align::Center)
        out.x = item.rect.left() + (room - shown) / 2;
    out.baseline = item.rect.top() + m.ascent;
    out.bytes = std::move(bytes);
    return out;
}

std::vector<std::string> messageLines(const FaceMetrics& m, const PageItem& item)
{
    std::string bytes = platform::toCp1252(item.text);
    const double room = item.rect.width();
    if (widthOf(m, bytes, bytes.size()) * kLeast <= room + kSlack)
        return {bytes};
    size_t bestEnd = 0, bestStart = 0;
    double best = 0;
    for (size_t i = 1; i < bytes.size(); ++i) {
        if (bytes[i] != ' ' || bytes[i - 1] == ' ')
            continue;
        const size_t start = bytes.find_first_not_of(' ', i);
        if (start == std::string::npos)
            break;
        const double first = widthOf(m, bytes, i);
        const double wider = std::max(first, widthOf(m, bytes, bytes.size()) - widthOf(m, bytes, start));
        if (bestEnd == 0 || wider < best) {
            bestEnd = i;
            bestStart = start;
            best = wider;
        }
    }
    if (bestEnd == 0 || bytes.find_first_not_of(' ') >= bestEnd)
        return {bytes};
    return {bytes.substr(0, bestEnd), bytes.substr(bestStart)};
}

}  // namespace document
