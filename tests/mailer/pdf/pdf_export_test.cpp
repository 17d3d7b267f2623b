#include "mailer/document/page_painter.h"
#include "mailer/pdf/pdf_export.h"
#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-font.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

#include <algorithm>
#include <memory>
#include <set>

using namespace document;
using testing_support::DocumentFixture;
using testing_support::invoiceText;
using testing_support::statementText;

namespace {

/// A word as an independent reader finds it, in twips from the page's top left corner.
struct Word {
    std::string text;
    double left, top, right;
};
using Words = std::vector<Word>;

std::unique_ptr<poppler::document> open(const QByteArray& pdf)
{
    poppler::byte_array bytes(pdf.begin(), pdf.end());
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_data(&bytes));
    if (!doc)
        throw std::runtime_error("not a PDF");
    return doc;
}

std::vector<Words> wordsOf(const QByteArray& pdf)
{
    auto doc = open(pdf);
    std::vector<Words> pages(doc->pages());
    for (int i = 0; i < doc->pages(); ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        for (const poppler::text_box& box : page->text_list()) {
            const auto utf8 = box.text().to_utf8();
            const poppler::rectf r = box.bbox();
            pages[i].push_back({std::string(utf8.begin(), utf8.end()), r.left() * 20, r.top() * 20, r.right() * 20});
        }
    }
    return pages;
}

/// The word showing `text` whose top is nearest to `top`; null when none shows it.
const Word* nearest(const Words& words, const std::string& text, double top = 0)
{
    const Word* best = nullptr;
    for (const Word& w : words)
        if (w.text == text && (!best || std::abs(w.top - top) < std::abs(best->top - top)))
            best = &w;
    return best;
}

/// The words whose top is within 30 twips of `top`, left to right, joined by spaces.
std::string lineAt(Words words, double top)
{
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) { return a.left < b.left; });
    std::string out;
    for (const Word& w : words)
        if (std::abs(w.top - top) < 30)
            out += (out.empty() ? "" : " ") + w.text;
    return out;
}

/// The first page at 144 dpi: one pixel is 10 twips.
QImage renderPdf(const QByteArray& pdf)
{
    const auto doc = open(pdf);
    std::unique_ptr<poppler::page> p(doc->create_page(0));
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    const poppler::image img = renderer.render_page(p.get(), 144, 144);
    return QImage(reinterpret_cast<const uchar*>(img.const_data()), img.width(), img.height(), img.bytes_per_row(),
                  QImage::Format_ARGB32)
        .copy();
}

/// Whether two colours are within `tolerance` of each other in every channel.
bool near(QColor a, QColor b, int tolerance = 40)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())}) <
           tolerance;
}

/// Pixels of an image of 144 dpi inside a box of twips near `colour`.
int pixelsNear(const QImage& image, QRect twips, QColor colour)
{
    int n = 0;
    for (int y = twips.top() / 10; y < twips.bottom() / 10; ++y)
        for (int x = twips.left() / 10; x < twips.right() / 10; ++x)
            n += near(image.pixelColor(x, y), colour);
    return n;
}

QByteArray toPdf(const Pages& pages)
{
    return QByteArray::fromStdString(pdf::PdfExport::toPdf(pages));
}

QColor at(const QImage& image144, int x, int y) { return image144.pixelColor(x / 10, y / 10); }

}  // namespace

TEST(PdfExport, TextIsRealTextAtItsDesignedPlaceAndEveryPageIsNumberedWithinItsOwnReport)
{
    DocumentFixture fx;
    std::string statement = statementText(60, true);
    statement.replace(statement.find("Invoice 1002"), 12, "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliet Kilo");
    fx.writeStatement(statement);
    fx.writeDetails(invoiceText(20, 3));
    const auto pages = wordsOf(toPdf(fx.combined(true)));
    ASSERT_EQ(pages.size(), 6u);
    const struct {
        int page;
        const char* word;
        char align;  // the edge that x gives: Left, Right or Centre
        double x, top;
    } cases[] = {
        {0, "Acme", 'L', 720, 990},         // ToAddr1 in the stub
        {0, "77.77", 'R', 10530 + 1170, 1350},  // Field16
        {0, "06/30/26", 'C', 8100 + 450, 990},  // Field1
        {0, "Total", 'L', 1530, 5715},      // page header under the stub of 4725 from the top margin 720
        {0, "1001", 'L', 1260, 6720},       // first row right under the headings
        {0, "Alpha", 'L', 2070, 6990},      // rows 270 apart
        {0, "1031", 'L', 1260, 14820},      // the last row above the page footer
        {1, "1032", 'L', 1260, 1995},       // under the page header of page 2
        {1, "88.88", 'R', 11430, 10815},    // BalanceDue in the report footer after 29 rows
        {1, "Page", 'L', 450, 15285},       // page footer at the page's bottom
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const Word* w = nearest(pages[c.page], c.word, c.top);
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->top, c.top, 2);
        EXPECT_NEAR(c.align == 'L' ? w->left : c.align == 'R' ? w->right : (w->left + w->right) / 2, c.x, 2);
    }
    // A description wider than its box is cut after a whole word, within the box.
    double cut = 0;
    for (const Word& w : pages[0])
        if (std::abs(w.top - 6990) < 2 && w.left < 4500)
            cut = std::max(cut, w.right);
    EXPECT_LE(cut, 2070 + 2430 + 2);
    EXPECT_GT(cut, 2070 + 2430 - 300);
    EXPECT_EQ(nearest(pages[0], "Kilo"), nullptr);

    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        if (i < 2) {
            const std::string n = std::to_string(i + 1);
            EXPECT_EQ(lineAt(pages[i], 15285), "Page " + n + " of 2 Page " + n + " of 2");
            EXPECT_EQ(nearest(pages[i], "Fold") != nullptr, i == 0);
            EXPECT_EQ(nearest(pages[i], "TOTALS") != nullptr, i == 1);
            EXPECT_NE(nearest(pages[i], "INDICATE"), nullptr);
        } else {
            EXPECT_EQ(lineAt(pages[i], 15210), "Page " + std::to_string(i - 1) + " of 4");
            EXPECT_EQ(nearest(pages[i], "Details") != nullptr, i == 2);
            EXPECT_NE(nearest(pages[i], "remark"), nullptr);
        }
    }
    std::vector<double> footers;  // each group footer shows its own invoice's totals
    for (const Word& w : pages[2])
        if (w.text == "ShipTo:")
            footers.push_back(w.top);
    std::sort(footers.begin(), footers.end());
    ASSERT_GE(footers.size(), 5u);
    for (size_t i = 0; i < footers.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string n = std::to_string(i + 1);
        EXPECT_EQ(lineAt(pages[2], footers[i]), "ShipTo: Ship 500" + n + " Sub-Total: " + n + "0.00");
        EXPECT_EQ(lineAt(pages[2], footers[i] + 270), "2 Dock Rd Miscellaneous: 1.0" + n);
        EXPECT_EQ(lineAt(pages[2], footers[i] + 540), "Yard 500" + n + " Sales Tax: 0.5" + n);
        EXPECT_EQ(lineAt(pages[2], footers[i] + 810), "Eugene OR Invoice Total: " + n + "1.50CR");
    }
}

TEST(PdfExport, FillsAndTextColoursReachThePageAndItsImage)
{
    const QColor shade(255, 233, 233);
    const struct {
        int32_t back, fore, shade;
        QColor row;      // the shade of the rows and of "PAY THIS AMOUNT"
        QColor heading;  // the fill of the "Date" heading and "TOTALS"
        QColor ink;      // their text
    } cases[] = {
        {-1, -1, -1, shade, Qt::white, Qt::black},
        {-1, -1, 0x00C0FFC0, QColor(192, 255, 192), Qt::white, Qt::black},
        {0x00602000, 0x0000FFFF, -1, shade, QColor(0, 32, 96), QColor(255, 255, 0)},
        {-1, 0x000000C0, -1, shade, Qt::white, QColor(192, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ink.name().toStdString() + c.row.name().toStdString());
        DocumentFixture fx;
        fx.run.StmtBackColor = c.back;
        fx.run.StmtForeColor = c.fore;
        fx.run.StmtShadeColor = c.shade;
        fx.writeStatement(statementText(1));
        const Pages pages = fx.combined();
        for (const QImage& page : {renderPdf(toPdf(pages)), renderPage(pages.Item(0), 144)}) {
            ASSERT_EQ(page.size(), QSize(1224, 1584));
            EXPECT_EQ(at(page, 8520, 6960), c.row);  // Due60 of the row, its text at the right and top
            EXPECT_GT(pixelsNear(page, QRect(6300, 7980, 2700, 270), c.row), 2000);  // of 7290
            EXPECT_EQ(at(page, 470, 6690), c.heading);  // "Date": 450..1260 x 6435..6705
            EXPECT_EQ(at(page, 470, 7780), c.heading);  // "TOTALS": 450..4500 x 7260..7800, right aligned
            EXPECT_GT(pixelsNear(page, QRect(450, 6435, 810, 270), c.ink), 10);
            EXPECT_GT(pixelsNear(page, QRect(450, 7260, 4050, 540), c.ink), 10);
            // The stub's "Statement Date " keeps its design although it carries "BG".
            EXPECT_EQ(at(page, 6420, 1240), QColor(Qt::white));
            EXPECT_GT(pixelsNear(page, QRect(6390, 990, 1620, 270), Qt::black), 10);
            EXPECT_EQ(pixelsNear(page, QRect(6390, 990, 1620, 270), c.ink) == 0, c.fore != -1);
        }
    }
}

TEST(PdfExport, ExportWritesTheWholeFileWithEmbeddedFontsAndTheWideLogoWithoutLossInsteadOfTheReturnAddress)
{
    // Blocks of 6 pixels in saturated colours.
    const QColor colours[] = {QColor(220, 20, 60), QColor(0, 90, 200), QColor(250, 250, 40), QColor(20, 160, 40)};
    QImage logo(603, 216, QImage::Format_RGB32);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixelColor(x, y, colours[(x / 6 + 2 * (y / 6)) % 4]);
    QImage narrow(300, 100, QImage::Format_RGB32);  // the wide logo wins over it
    narrow.fill(Qt::black);
    DocumentFixture fx;
    fx.writeLogo("Stmtlogo", narrow);
    fx.writeLogo("Stmtlogowide", logo);
    fx.writeStatement(statementText(1));
    fx.writeDetails(invoiceText(1, 1));
    fx.tree.mkdir("unc/host/parlow/email7/out");
    pdf::PdfExport exporter(fx.fs);
    exporter.FileName = "\\\\host\\parlow\\email7\\OUT\\1234567.0105.PDF";
    exporter.Export(fx.combined(true));
    const QByteArray pdf = QByteArray::fromStdString(fx.tree.read("unc/host/parlow/email7/out/1234567.0105.PDF"));
    const auto doc = open(pdf);
    EXPECT_EQ(doc->pages(), 2);
    std::set<std::string> names;
    for (const poppler::font_info& f : doc->fonts()) {
        EXPECT_TRUE(f.is_embedded()) << f.name();
        EXPECT_EQ(f.name()[6], '+') << f.name();  // a subset
        names.insert(f.name().substr(7));
    }
    EXPECT_TRUE(names.count("LiberationSans") && names.count("LiberationSansNarrow"));
    const Words words = wordsOf(pdf)[0];
    EXPECT_EQ(nearest(words, "TORVIK"), nullptr);
    EXPECT_EQ(nearest(words, "Mill"), nullptr);
    EXPECT_FALSE(pdf.contains("/DCTDecode"));  // pictures go in deflated, never as JPEG

    // Logo2's frame is 6030 x 2160 twips at (90, 2160) of the stub: at 144 dpi one picture pixel
    // is one page pixel, from (45, 288). Compared away from the block edges, where the renderer
    // may resample.
    const QImage page = renderPdf(pdf);
    int off = 0;
    for (int y = 2; y < logo.height() - 2; ++y)
        for (int x = 2; x < logo.width() - 2; ++x)
            if (x % 6 != 0 && x % 6 != 5 && y % 6 != 0 && y % 6 != 5)
                off += !near(page.pixelColor(45 + x, 288 + y), logo.pixelColor(x, y), 9);
    EXPECT_EQ(off, 0);

    exporter.FileName = "\\\\host\\parlow\\email7\\missing\\1234567.0105.PDF";
    const auto e = testing_support::errorOf([&] { exporter.Export(fx.combined()); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), 76);
}
