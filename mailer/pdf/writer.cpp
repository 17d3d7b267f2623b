#include "mailer/pdf/writer.h"

#include "mailer/document/text_fit.h"
#include "mailer/pdf/font_program.h"
#include "mailer/pdf/render_cache.h"
#include "platform/cp1252.h"

#include <QImage>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pdf {
namespace {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kResources = 3;
constexpr size_t kFlushAt = 1 << 16;

/// A number as PDF writes it: at most three decimals, no trailing zeros.
void num(std::string& s, double v)
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

/// A length or position in twips as points: at most two decimals.
void twips(std::string& s, int v)
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

void num(std::string& s, int v)
{
    char buf[16];
    s.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    s += ' ';
}

std::string ref(int id)
{
    return std::to_string(id) + " 0 R";
}

}  // namespace

Writer::Writer(Output& out, RenderCache* cache)
    : out_(out), ownCache_(cache ? nullptr : std::make_unique<RenderCache>()), cache_(cache ? *cache : *ownCache_),
      offsets_(kResources + 1, 0)
{
    buffer_.reserve(kFlushAt * 2);
    // A comment of high bytes marks the file as binary for tools that look.
    put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

Writer::~Writer() = default;

void Writer::put(const char* bytes, size_t size)
{
    buffer_.append(bytes, size);
    written_ += size;
    hash_.addData(QByteArrayView(bytes, qsizetype(size)));
    if (buffer_.size() >= kFlushAt)
        flushOut();
}

void Writer::put(const std::string& bytes)
{
    put(bytes.data(), bytes.size());
}

void Writer::flushOut()
{
    out_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
}

int Writer::newObject()
{
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size() - 1);
}

void Writer::beginObject(int id)
{
    offsets_[static_cast<size_t>(id)] = written_;
    put(std::to_string(id) + " 0 obj\n");
}

void Writer::writeStream(int id, const std::string& dictionary, const std::string& bytes, const std::string* digest)
{
    beginObject(id);
    put("<<" + dictionary + " /Length " + std::to_string(bytes.size()) + " >>\nstream\n");
    if (digest) {
        // Cached bytes stand in the /ID by their digest.
        hash_.addData(QByteArrayView(digest->data(), qsizetype(digest->size())));
        buffer_.append(bytes);
        written_ += bytes.size();
        if (buffer_.size() >= kFlushAt)
            flushOut();
    } else {
        put(bytes);
    }
    put("\nendstream\nendobj\n");
}

int Writer::fontFor(const document::Style& style)
{
    for (const auto& [family, index] : fontOf_)
        if (family == style.family)
            return index;
    const FontProgram* program = &cache_.font(style.family);
    int index = -1;
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i].program == program)
            index = static_cast<int>(i);
    if (index < 0) {
        fonts_.push_back({program, {}});
        index = static_cast<int>(fonts_.size() - 1);
    }
    fontOf_.emplace_back(style.family, index);
    return index;
}

void Writer::colour(std::string& s, const QColor& c)
{
    const QRgb rgb = c.rgb();
    if (fillKnown_ && rgb == fill_)
        return;
    fillKnown_ = true;
    fill_ = rgb;
    // A page switches between a few colours hundreds of times.
    for (const auto& [known, op] : colourOps_)
        if (known == rgb) {
            s += op;
            return;
        }
    std::string op;
    num(op, qRed(rgb) / 255.0);
    num(op, qGreen(rgb) / 255.0);
    num(op, qBlue(rgb) / 255.0);
    op += "rg\n";
    s += op;
    if (colourOps_.size() < 16)
        colourOps_.emplace_back(rgb, std::move(op));
}

void Writer::textRun(std::string& s, const document::PageItem& item, double originX, double originY,
                     std::string bytes)
{
    const document::FaceMetrics* known = nullptr;
    for (const auto& [face, m] : metricsOf_)
        if (face.second == item.style.size && face.first == item.style.family)
            known = m;  // a document uses two or three faces
    if (!known) {
        known = &cache_.document().metrics(item.style.family, item.style.size);
        metricsOf_.push_back({{item.style.family, item.style.size}, known});
    }
    const document::FaceMetrics& metrics = *known;
    const document::FittedText fitted = document::fitText(metrics, item, std::move(bytes));
    if (fitted.bytes.empty())
        return;
    const int font = fontFor(item.style);
    for (char c : fitted.bytes)
        fonts_[static_cast<size_t>(font)].used.set(static_cast<unsigned char>(c));
    colour(s, item.style.textColor);
    const double size = metrics.pixelSize / 20;
    s += "BT ";
    // The font and size stay in force from one text to the next.
    if (font != textFont_ || size != textSize_) {
        textFont_ = font;
        textSize_ = size;
        s += "/F";
        num(s, font + 1);
        num(s, size);
        s += "Tf ";
    }
    num(s, fitted.scale);
    s += "0 0 1 ";
    num(s, (fitted.x - originX) / 20);
    num(s, (originY - fitted.baseline) / 20);
    s += "Tm (";
    for (char c : fitted.bytes) {
        if (c == '(' || c == ')' || c == '\\')
            s += '\\';
        else if (c == '\r') {
            s += "\\r";
            continue;
        } else if (c == '\n') {
            s += "\\n";
            continue;
        }
        s += c;
    }
    s += ") Tj ET\n";
}

void Writer::text(std::string& s, const document::PageItem& item, double pageHeight)
{
    const QRect& r = item.rect;
    if (item.style.fillColor.isValid()) {
        colour(s, item.style.fillColor);
        twips(s, r.left());
        twips(s, int(pageHeight) - r.top() - r.height());
        twips(s, r.width());
        twips(s, r.height());
        s += "re f\n";
    }
    if (item.number == document::PageItem::Number::PageCount && item.text.isEmpty()) {
        const std::string name = countForm(item, pageHeight);
        s += "q 1 0 0 1 ";
        num(s, r.left() / 20.0);
        num(s, (pageHeight - r.top() - r.height()) / 20.0);
        s += "cm /" + name + " Do Q\n";
        return;
    }
    if (!item.text.isEmpty())
        textRun(s, item, 0, pageHeight, platform::toCp1252(item.text));
}

std::string Writer::countForm(const document::PageItem& item, double pageHeight)
{
    for (const PendingCount& p : pendingCounts_)
        if (p.item.rect.size() == item.rect.size() && p.item.style.family == item.style.family
            && p.item.style.size == item.style.size && p.item.style.align == item.style.align
            && p.item.style.textColor == item.style.textColor)
            return p.name;
    PendingCount p{"C" + std::to_string(++forms_), item, pageHeight};
    p.item.style.fillColor = QColor();
    pendingCounts_.push_back(p);
    return p.name;
}

void Writer::endRun(int pageCount)
{
    const std::string count = std::to_string(pageCount);
    for (PendingCount& p : pendingCounts_) {
        std::string content;
        const QRect& r = p.item.rect;
        fillKnown_ = false;
        textFont_ = -1;
        textRun(content, p.item, r.left(), r.top() + r.height(), count);
        std::string dictionary = " /Type /XObject /Subtype /Form /BBox [0 0 ";
        num(dictionary, r.width() / 20.0);
        num(dictionary, r.height() / 20.0);
        dictionary += "] /Resources " + ref(kResources) + " /Filter /FlateDecode";
        const int id = newObject();
        writeStream(id, dictionary, deflater_.compress(content));
        xobjects_.emplace_back(p.name, id);
    }
    pendingCounts_.clear();
}

void Writer::image(std::string& s, const document::PageItem& item, double pageHeight)
{
    auto it = images_.find(item.image.cacheKey());
    if (it == images_.end()) {
        const Picture picture = cache_.picture(item.image);
        const std::string name = "Im" + std::to_string(images_.size() + 1);
        const int id = newObject();
        writeStream(id,
                    " /Type /XObject /Subtype /Image /Width " + std::to_string(picture.width) + " /Height "
                        + std::to_string(picture.height)
                        + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
                    picture.blob->bytes, &picture.blob->digest);
        xobjects_.emplace_back(name, id);
        it = images_.emplace(item.image.cacheKey(), name).first;
    }
    // Fitted whole into the frame, keeping its proportions, from the frame's top left corner.
    const QSizeF size = QSizeF(item.image.size()).scaled(QSizeF(item.rect.size()), Qt::KeepAspectRatio);
    s += "q ";
    num(s, size.width() / 20);
    s += "0 0 ";
    num(s, size.height() / 20);
    num(s, item.rect.left() / 20.0);
    num(s, (pageHeight - item.rect.top() - size.height()) / 20);
    s += "cm /" + it->second + " Do Q\n";
}

void Writer::addPage(const document::Page& page)
{
    using Kind = document::PageItem::Kind;
    const double h = page.height();
    std::string s;
    s.reserve(8192);
    fillKnown_ = false;
    textFont_ = -1;
    // Every stroke is a black hairline of one pixel at 96 dots per inch.
    s += "0.75 w 0 G\n";
    for (const document::PageItem& item : page.items()) {
        const QRect& r = item.rect;
        switch (item.kind) {
        case Kind::Text: text(s, item, h); break;
        case Kind::Box:
            if (item.style.fillColor.isValid())
                colour(s, item.style.fillColor);
            twips(s, r.left());
            twips(s, int(h) - r.top() - r.height());
            twips(s, r.width());
            twips(s, r.height());
            s += item.style.fillColor.isValid() ? "re B\n" : "re S\n";
            break;
        case Kind::Line:
            num(s, r.left() / 20.0);
            num(s, (h - r.top()) / 20.0);
            s += "m ";
            num(s, (r.left() + r.width()) / 20.0);
            num(s, (h - r.top() - r.height()) / 20.0);
            s += "l S\n";
            break;
        case Kind::Image:
            if (!item.image.isNull())
                image(s, item, h);
            break;
        case Kind::CheckBox: {
            const double side = std::min(r.width(), r.height()) * 2.0 / 3;
            const double inset = (r.height() - side) / 2;
            const double left = r.left() + inset;
            const double top = r.top() + inset;
            colour(s, Qt::white);
            num(s, left / 20);
            num(s, (h - top - side) / 20);
            num(s, side / 20);
            num(s, side / 20);
            s += "re B\n";
            if (item.checked) {
                auto point = [&](double fx, double fy, const char* op) {
                    num(s, (left + side * fx) / 20);
                    num(s, (h - top - side * fy) / 20);
                    s += op;
                };
                s += "q 1.5 w 1 J 1 j ";
                point(0.2, 0.52, "m ");
                point(0.42, 0.75, "l ");
                point(0.8, 0.25, "l S Q\n");
            }
            break;
        }
        }
    }
    const int content = newObject();
    writeStream(content, " /Filter /FlateDecode", deflater_.compress(s));
    const int id = newObject();
    beginObject(id);
    std::string dict = "<< /Type /Page /Parent " + ref(kPageTree) + " /MediaBox [0 0 ";
    num(dict, page.width() / 20.0);
    num(dict, h / 20);
    dict += "] /Resources " + ref(kResources) + " /Contents " + ref(content) + " >>\nendobj\n";
    put(dict);
    pageIds_.push_back(id);
}

void Writer::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (!pendingCounts_.empty())
        endRun(pageCount());

    std::string fontEntries;
    for (size_t i = 0; i < fonts_.size(); ++i) {
        const Font& f = fonts_[i];
        const FontProgram& p = *f.program;
        uint16_t rows = 1u << 2;  // the space row, so that no subset is empty
        int first = 255, last = 32;
        for (int c = 32; c < 256; ++c)
            if (f.used.test(static_cast<size_t>(c))) {
                rows |= static_cast<uint16_t>(1u << (c / 16));
                first = std::min(first, c);
                last = std::max(last, c);
            }
        if (first > last)
            first = last = 32;
        const std::shared_ptr<const Blob> program = cache_.subset(p, rows);
        const int file = newObject();
        writeStream(file, " /Length1 " + std::to_string(program->length1) + " /Filter /FlateDecode", program->bytes,
                    &program->digest);
        const std::string name = program->tag + '+' + p.postScriptName();
        const int descriptor = newObject();
        beginObject(descriptor);
        std::string d = "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [";
        for (int k = 0; k < 4; ++k)
            num(d, p.bbox()[k]);
        d += "] /ItalicAngle 0 /Ascent ";
        num(d, p.ascent());
        d += "/Descent ";
        num(d, p.descent());
        d += "/CapHeight ";
        num(d, p.capHeight());
        d += "/StemV 80 /FontFile2 " + ref(file) + " >>\nendobj\n";
        put(d);
        const int font = newObject();
        beginObject(font);
        std::string w = "<< /Type /Font /Subtype /TrueType /BaseFont /" + name + " /FirstChar " + std::to_string(first)
                        + " /LastChar " + std::to_string(last) + " /Widths [";
        for (int c = first; c <= last; ++c)
            num(w, p.width(static_cast<unsigned char>(c)));
        w += "] /Encoding /WinAnsiEncoding /FontDescriptor " + ref(descriptor) + " >>\nendobj\n";
        put(w);
        fontEntries += " /F" + std::to_string(i + 1) + ' ' + ref(font);
    }

    beginObject(kResources);
    std::string r = "<< /ProcSet [/PDF /Text /ImageC] /Font <<" + fontEntries + " >>";
    if (!xobjects_.empty()) {
        r += " /XObject <<";
        for (const auto& [name, id] : xobjects_)
            r += " /" + name + ' ' + ref(id);
        r += " >>";
    }
    put(r + " >>\nendobj\n");

    beginObject(kPageTree);
    std::string kids = "<< /Type /Pages /Count " + std::to_string(pageIds_.size()) + " /Kids [";
    for (int id : pageIds_)
        kids += ref(id) + ' ';
    put(kids + "] >>\nendobj\n");
    beginObject(kCatalog);
    put("<< /Type /Catalog /Pages " + ref(kPageTree) + " >>\nendobj\n");
    // Text strings as UTF-16 with its byte order mark: any account or program name goes in.
    auto textString = [](const QString& text) {
        std::string hex = "<FEFF";
        char unit[5];
        for (QChar c : text) {
            std::snprintf(unit, sizeof unit, "%04X", c.unicode());
            hex += unit;
        }
        return hex + '>';
    };
    const int info = newObject();
    beginObject(info);
    put("<< /Title " + textString(title_) + " /Producer " + textString(producer_) + " >>\nendobj\n");

    const QByteArray id = hash_.result().toHex().toUpper();
    const uint64_t xref = written_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
    char entry[21];
    for (size_t i = 1; i < offsets_.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets_[i]));
        table.append(entry, 20);
        if (table.size() >= kFlushAt) {
            put(table);
            table.clear();
        }
    }
    table += "trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root " + ref(kCatalog) + " /Info " + ref(info) + " /ID [<"
             + id.toStdString() + "> <" + id.toStdString() + ">] >>\nstartxref\n" + std::to_string(xref)
             + "\n%%EOF\n";
    put(table);
    flushOut();
}

}  // namespace pdf
