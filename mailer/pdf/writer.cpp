#include "mailer/pdf/writer.h"

#include "mailer/document/text_fit.h"
#include "mailer/pdf/font_program.h"
#include "mailer/pdf/render_cache.h"
#include "platform/cp1252.h"

#include <QImage>
#include <algorithm>
#include <cstdio>

namespace pdf {
namespace {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kResources = 3;

/// A text string as UTF-16 with its byte order mark: any account or program name goes in.
std::string textString(const QString& text)
{
    std::string hex = "<FEFF";
    char unit[5];
    for (QChar c : text) {
        std::snprintf(unit, sizeof unit, "%04X", c.unicode());
        hex += unit;
    }
    return hex + '>';
}

/// The rows of 16 codes a font showed, and its first and last code.
struct UsedCodes {
    uint16_t rows = 1u << 2;  // the space row, so that no subset is empty
    int first = 255, last = 32;

    explicit UsedCodes(const std::bitset<256>& used)
    {
        for (int c = 32; c < 256; ++c)
            if (used.test(static_cast<size_t>(c))) {
                rows |= static_cast<uint16_t>(1u << (c / 16));
                first = std::min(first, c);
                last = std::max(last, c);
            }
        if (first > last)
            first = last = 32;
    }
};

}  // namespace

Writer::Writer(Output& out, RenderCache* cache)
    : file_(out, kResources), ownCache_(cache ? nullptr : std::make_unique<RenderCache>()),
      cache_(cache ? *cache : *ownCache_)
{
}

Writer::~Writer() = default;

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

void Writer::addPage(const document::Page& page)
{
    ContentStream s(0, page.height());
    // Every stroke is a black hairline of one pixel at 96 dots per inch.
    s << "0.75 w 0 G\n";
    for (const document::PageItem& item : page.items())
        draw(s, item);
    const int content = file_.newObject();
    file_.stream(content, " /Filter /FlateDecode", deflater_.compress(s.bytes()));
    std::string dict = "<< /Type /Page /Parent " + ref(kPageTree) + " /MediaBox [0 0 ";
    appendTwips(dict, page.width());
    appendTwips(dict, page.height());
    dict += "] /Resources " + ref(kResources) + " /Contents " + ref(content) + " >>";
    const int id = file_.newObject();
    file_.object(id, dict);
    pageIds_.push_back(id);
}

void Writer::draw(ContentStream& s, const document::PageItem& item)
{
    using Kind = document::PageItem::Kind;
    switch (item.kind) {
    case Kind::Text: text(s, item); break;
    case Kind::Box: box(s, item); break;
    case Kind::Line: line(s, item); break;
    case Kind::Image: image(s, item); break;
    case Kind::CheckBox: checkBox(s, item); break;
    }
}

void Writer::text(ContentStream& s, const document::PageItem& item)
{
    if (item.style.fillColor.isValid()) {
        s.fill(item.style.fillColor);
        s.rect(item.rect, "f");
    }
    if (item.number == document::PageItem::Number::PageCount && item.text.isEmpty()) {
        const QRect& r = item.rect;
        s << "q 1 0 0 1 ";
        s.point(r.left(), r.top() + r.height());
        s << "cm /" << countForm(item) << " Do Q\n";
        return;
    }
    if (!item.text.isEmpty())
        textRun(s, item, platform::toCp1252(item.text));
}

void Writer::textRun(ContentStream& s, const document::PageItem& item, std::string bytes)
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
    s.fill(item.style.textColor);
    s << "BT ";
    // The font and size stay in force from one text to the next.
    s.font(font, metrics.pixelSize);
    s.number(fitted.scale);
    s << "0 0 1 ";
    s.point(fitted.x, fitted.baseline);
    s << "Tm ";
    s.literal(fitted.bytes);
    s << " Tj ET\n";
}

void Writer::box(ContentStream& s, const document::PageItem& item)
{
    const bool filled = item.style.fillColor.isValid();
    if (filled)
        s.fill(item.style.fillColor);
    s.rect(item.rect, filled ? "B" : "S");
}

void Writer::line(ContentStream& s, const document::PageItem& item)
{
    const QRect& r = item.rect;
    s.point(r.left(), r.top());
    s << "m ";
    s.point(r.left() + r.width(), r.top() + r.height());
    s << "l S\n";
}

void Writer::image(ContentStream& s, const document::PageItem& item)
{
    if (item.image.isNull())
        return;
    const std::string& name = imageName(item.image);
    // Fitted whole into the frame, keeping its proportions, from the frame's top left corner.
    const QSizeF size = QSizeF(item.image.size()).scaled(QSizeF(item.rect.size()), Qt::KeepAspectRatio);
    s << "q ";
    s.twips(size.width());
    s << "0 0 ";
    s.twips(size.height());
    s.twips(item.rect.left() - s.originX());
    s.twips(double(s.originY()) - item.rect.top() - size.height());
    s << "cm /" << name << " Do Q\n";
}

const std::string& Writer::imageName(const QImage& image)
{
    auto it = images_.find(image.cacheKey());
    if (it != images_.end())
        return it->second;
    const Picture picture = cache_.picture(image);
    const std::string name = "Im" + std::to_string(images_.size() + 1);
    const int id = file_.newObject();
    file_.stream(id,
                 " /Type /XObject /Subtype /Image /Width " + std::to_string(picture.width) + " /Height "
                     + std::to_string(picture.height) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
                 picture.blob->bytes, &picture.blob->digest);
    xobjects_.emplace_back(name, id);
    return images_.emplace(image.cacheKey(), name).first->second;
}

void Writer::checkBox(ContentStream& s, const document::PageItem& item)
{
    const QRect& r = item.rect;
    const double side = std::min(r.width(), r.height()) * 2.0 / 3;
    const double inset = (r.height() - side) / 2;
    const double left = r.left() + inset;
    const double top = r.top() + inset;
    const double h = s.originY();
    s.fill(Qt::white);
    s.twips(left - s.originX());
    s.twips(h - top - side);
    s.twips(side);
    s.twips(side);
    s << "re B\n";
    if (!item.checked)
        return;
    auto point = [&](double fx, double fy, const char* op) {
        s.twips(left + side * fx - s.originX());
        s.twips(h - top - side * fy);
        s << op;
    };
    s << "q 1.5 w 1 J 1 j ";
    point(0.2, 0.52, "m ");
    point(0.42, 0.75, "l ");
    point(0.8, 0.25, "l S Q\n");
}

std::string Writer::countForm(const document::PageItem& item)
{
    for (const PendingCount& p : pendingCounts_)
        if (p.item.rect.size() == item.rect.size() && p.item.style.family == item.style.family
            && p.item.style.size == item.style.size && p.item.style.align == item.style.align
            && p.item.style.textColor == item.style.textColor)
            return p.name;
    PendingCount p{"C" + std::to_string(++forms_), item};
    p.item.style.fillColor = QColor();
    pendingCounts_.push_back(p);
    return p.name;
}

void Writer::endRun(int pageCount)
{
    const std::string count = std::to_string(pageCount);
    for (const PendingCount& p : pendingCounts_) {
        const QRect& r = p.item.rect;
        ContentStream content(r.left(), r.top() + r.height());
        textRun(content, p.item, count);
        std::string dictionary = " /Type /XObject /Subtype /Form /BBox [0 0 ";
        appendTwips(dictionary, r.width());
        appendTwips(dictionary, r.height());
        dictionary += "] /Resources " + ref(kResources) + " /Filter /FlateDecode";
        const int id = file_.newObject();
        file_.stream(id, dictionary, deflater_.compress(content.bytes()));
        xobjects_.emplace_back(p.name, id);
    }
    pendingCounts_.clear();
}

int Writer::writeFont(const Font& f)
{
    const FontProgram& p = *f.program;
    const UsedCodes used(f.used);
    const std::shared_ptr<const Blob> program = cache_.subset(p, used.rows);
    const int file = file_.newObject();
    file_.stream(file, " /Length1 " + std::to_string(program->length1) + " /Filter /FlateDecode", program->bytes,
                 &program->digest);
    const std::string name = program->tag + '+' + p.postScriptName();
    std::string d = "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [";
    for (int k = 0; k < 4; ++k)
        appendNumber(d, p.bbox()[k]);
    d += "] /ItalicAngle 0 /Ascent ";
    appendNumber(d, p.ascent());
    d += "/Descent ";
    appendNumber(d, p.descent());
    d += "/CapHeight ";
    appendNumber(d, p.capHeight());
    d += "/StemV 80 /FontFile2 " + ref(file) + " >>";
    const int descriptor = file_.newObject();
    file_.object(descriptor, d);
    std::string w = "<< /Type /Font /Subtype /TrueType /BaseFont /" + name + " /FirstChar "
                    + std::to_string(used.first) + " /LastChar " + std::to_string(used.last) + " /Widths [";
    for (int c = used.first; c <= used.last; ++c)
        appendNumber(w, p.width(static_cast<unsigned char>(c)));
    w += "] /Encoding /WinAnsiEncoding /FontDescriptor " + ref(descriptor) + " >>";
    const int font = file_.newObject();
    file_.object(font, w);
    return font;
}

void Writer::writeResources(const std::string& fontEntries)
{
    std::string r = "<< /ProcSet [/PDF /Text /ImageC] /Font <<" + fontEntries + " >>";
    if (!xobjects_.empty()) {
        r += " /XObject <<";
        for (const auto& [name, id] : xobjects_)
            r += " /" + name + ' ' + ref(id);
        r += " >>";
    }
    file_.object(kResources, r + " >>");
}

void Writer::writePageTree()
{
    std::string kids = "<< /Type /Pages /Count " + std::to_string(pageIds_.size()) + " /Kids [";
    for (int id : pageIds_)
        kids += ref(id) + ' ';
    file_.object(kPageTree, kids + "] >>");
}

int Writer::writeInformation()
{
    const int info = file_.newObject();
    file_.object(info, "<< /Title " + textString(title_) + " /Producer " + textString(producer_) + " >>");
    return info;
}

void Writer::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (!pendingCounts_.empty())
        endRun(pageCount());
    std::string fontEntries;
    for (size_t i = 0; i < fonts_.size(); ++i)
        fontEntries += " /F" + std::to_string(i + 1) + ' ' + ref(writeFont(fonts_[i]));
    writeResources(fontEntries);
    writePageTree();
    file_.object(kCatalog, "<< /Type /Catalog /Pages " + ref(kPageTree) + " >>");
    file_.finish(kCatalog, writeInformation());
}

}  // namespace pdf
