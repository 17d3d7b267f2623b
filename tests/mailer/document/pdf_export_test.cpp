#include "mailer/document/invoice_details.h"
#include "mailer/document/page_painter.h"
#include "mailer/document/pdf_export.h"
#include "mailer/document/statement.h"
#include "platform/error.h"
#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-font.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <memory>

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

std::unique_ptr<poppler::document> open(const QByteArray& pdf)
{
    poppler::byte_array bytes(pdf.begin(), pdf.end());
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_data(&bytes));
    if (!doc)
        throw std::runtime_error("not a PDF");
    return doc;
}

std::vector<std::vector<Word>> wordsOf(const QByteArray& pdf)
{
    auto doc = open(pdf);
    std::vector<std::vector<Word>> pages;
    for (int i = 0; i < doc->pages(); ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        std::vector<Word> words;
        for (const poppler::text_box& box : page->text_list()) {
            const auto utf8 = box.text().to_utf8();
            const poppler::rectf r = box.bbox();
            words.push_back({std::string(utf8.begin(), utf8.end()), r.left() * 20, r.top() * 20, r.right() * 20});
        }
        pages.push_back(std::move(words));
    }
    return pages;
}

/// The words of a page joined by spaces, in reading order.
std::string textOf(const std::vector<Word>& words)
{
    std::string out;
    for (const Word& w : words)
        out += w.text + " ";
    return out;
}

const Word* find(const std::vector<Word>& words, const std::string& text)
{
    for (const Word& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

/// The word showing `text` whose top is nearest to `top`.
const Word* nearest(const std::vector<Word>& words, const std::string& text, double top)
{
    const Word* best = nullptr;
    for (const Word& w : words)
        if (w.text == text && (!best || std::abs(w.top - top) < std::abs(best->top - top)))
            best = &w;
    return best;
}

/// The words whose top is within 30 twips of `top`, left to right, joined by spaces.
std::string lineAt(const std::vector<Word>& words, double top)
{
    std::vector<const Word*> line;
    for (const Word& w : words)
        if (std::abs(w.top - top) < 30)
            line.push_back(&w);
    std::sort(line.begin(), line.end(), [](const Word* a, const Word* b) { return a->left < b->left; });
    std::string out;
    for (const Word* w : line)
        out += (out.empty() ? "" : " ") + w->text;
    return out;
}

QImage renderPdf(const QByteArray& pdf, int page, int dpi)
{
    auto doc = open(pdf);
    std::unique_ptr<poppler::page> p(doc->create_page(page));
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    const poppler::image img = renderer.render_page(p.get(), dpi, dpi);
    return QImage(reinterpret_cast<const uchar*>(img.const_data()), img.width(), img.height(), img.bytes_per_row(),
                  QImage::Format_ARGB32)
        .copy();
}

/// The colour at a place given in twips on an image of `dpi`.
QColor at(const QImage& image, int dpi, int x, int y)
{
    return image.pixelColor(x * dpi / 1440, y * dpi / 1440);
}

/// Pixels inside a box of twips whose colour is within 40 of `colour` in every channel.
int pixelsNear(const QImage& image, int dpi, QRect twips, QColor colour)
{
    int n = 0;
    for (int y = twips.top() * dpi / 1440; y < twips.bottom() * dpi / 1440; ++y)
        for (int x = twips.left() * dpi / 1440; x < twips.right() * dpi / 1440; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40
                && std::abs(c.blue() - colour.blue()) < 40)
                ++n;
        }
    return n;
}

struct Rendered {
    QByteArray pdf;
    int statementPages = 0;
};

/// The statement and, when it has invoices, its invoice pages as one PDF, as the job combines them.
Rendered render(DocumentFixture& fx, bool withInvoices)
{
    Pages all;
    Statement st(fx.run, fx.fs);
    st.Run();
    for (int i = 0; i < st.pages().Count(); ++i) {
        all.Insert(all.Count(), st.pages().Item(i));
        all.Commit();
    }
    if (withInvoices) {
        InvoiceDetails inv(fx.run, fx.fs);
        inv.Run();
        for (int i = 0; i < inv.pages().Count(); ++i) {
            all.Insert(all.Count(), inv.pages().Item(i));
            all.Commit();
        }
    }
    return {PdfExport::toPdf(all), st.pages().Count()};
}

}  // namespace

TEST(PdfExport, TextIsRealTextAtItsDesignedPlace)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(2, true));
    const auto pages = wordsOf(render(fx, false).pdf);
    ASSERT_EQ(pages.size(), 1u);
    struct Case {
        const char* word;
        double left, top, right;  // -1: not checked (the other edge carries the alignment)
    };
    const Case cases[] = {
        {"Acme", 720, 990, -1},       // ToAddr1, left aligned
        {"77.77", -1, 1350, 11700},   // Field16, right aligned: 10530 + 1170
        {"Fold", 5940, 5220, -1},     // the fold caption, 8.5 pt
        {"Total", 1530, 5715, -1},    // page header under the stub of 4725 from the top margin 720
        {"1001", 1260, 6720, -1},     // first row right under the headings
        {"1002", 1260, 6990, -1},     // rows 270 apart
        {"88.88", -1, 8250, 11430},   // BalanceDue in the report footer after two rows
        {"Page", 450, 15285, -1},     // page footer at the page's bottom
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const Word* w = nearest(pages[0], c.word, c.top);
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->top, c.top, 2);
        if (c.left >= 0) {
            EXPECT_NEAR(w->left, c.left, 2);
        }
        if (c.right >= 0) {
            EXPECT_NEAR(w->right, c.right, 2);
        }
    }
    const Word* date = nearest(pages[0], "06/30/26", 990);
    ASSERT_NE(date, nullptr);
    EXPECT_NEAR((date->left + date->right) / 2, 8100 + 450, 2);  // centred in Field1
}

TEST(PdfExport, EveryPageIsNumberedWithinItsOwnReportAndTheStubPrintsOnce)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(60));
    fx.writeDetails(invoiceText(20, 3));
    const Rendered r = render(fx, true);
    const auto pages = wordsOf(r.pdf);
    ASSERT_EQ(r.statementPages, 2);
    ASSERT_EQ(pages.size(), 6u);
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string text = textOf(pages[i]);
        if (i < 2) {
            const std::string n = std::to_string(i + 1);
            EXPECT_EQ(lineAt(pages[i], 15285), "Page " + n + " of 2 Page " + n + " of 2");
            EXPECT_EQ(text.find("Fold Here") != std::string::npos, i == 0);
            EXPECT_EQ(text.find("TOTALS") != std::string::npos, i == 1);
            EXPECT_NE(text.find("INDICATE BEING PAID"), std::string::npos);
        } else {
            EXPECT_EQ(lineAt(pages[i], 15210), "Page " + std::to_string(i - 1) + " of 4");
            EXPECT_EQ(text.find("Invoice Details") != std::string::npos, i == 2);
            EXPECT_NE(text.find("Part / remark"), std::string::npos);
        }
    }
}

TEST(PdfExport, EachGroupFooterShowsItsOwnInvoicesTotals)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(1));
    fx.writeDetails(invoiceText(5, 2));
    const auto pages = wordsOf(render(fx, true).pdf);
    ASSERT_EQ(pages.size(), 2u);
    std::vector<double> footers;
    for (const Word& w : pages[1])
        if (w.text == "ShipTo:")
            footers.push_back(w.top);
    std::sort(footers.begin(), footers.end());
    ASSERT_EQ(footers.size(), 5u);
    for (size_t i = 0; i < footers.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string n = std::to_string(i + 1);
        const double top = footers[i];
        EXPECT_EQ(lineAt(pages[1], top), "ShipTo: Ship 500" + n + " Sub-Total: " + n + "0.00");
        EXPECT_EQ(lineAt(pages[1], top + 270), "2 Dock Rd Miscellaneous: 1.0" + n);
        EXPECT_EQ(lineAt(pages[1], top + 540), "Yard 500" + n + " Sales Tax: 0.5" + n);
        EXPECT_EQ(lineAt(pages[1], top + 810), "Eugene OR Invoice Total: " + n + "1.50CR");
    }
}

TEST(PdfExport, ALogoHidesTheReturnAddressAndReachesThePageWithoutLoss)
{
    // Blocks of 6 pixels in saturated colours.
    const QColor colours[] = {QColor(220, 20, 60), QColor(0, 90, 200), QColor(250, 250, 40), QColor(20, 160, 40)};
    QImage logo(603, 216, QImage::Format_RGB32);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixelColor(x, y, colours[(x / 6 + 2 * (y / 6)) % 4]);

    DocumentFixture plain;
    plain.writeStatement(statementText(1));
    EXPECT_NE(textOf(wordsOf(render(plain, false).pdf)[0]).find("TORVIK HARDWARE"), std::string::npos);

    DocumentFixture fx;
    fx.writeLogo("Stmtlogowide", logo);
    fx.writeStatement(statementText(1));
    const QByteArray pdf = render(fx, false).pdf;
    const std::string text = textOf(wordsOf(pdf)[0]);
    EXPECT_EQ(text.find("TORVIK"), std::string::npos);
    EXPECT_EQ(text.find("Mill"), std::string::npos);

    // Logo2's frame is 6030 x 2160 twips at (90, 2160) of the stub: at 144 dpi one picture pixel
    // is one page pixel, from (45, 288).
    const QImage page = renderPdf(pdf, 0, 144);
    // Pictures go into the file deflated, never as JPEG.
    EXPECT_FALSE(pdf.contains("/DCTDecode"));
    // Compared away from the block edges, where the renderer may resample.
    int off = 0;
    for (int y = 2; y < logo.height() - 2; ++y)
        for (int x = 2; x < logo.width() - 2; ++x) {
            if (x % 6 == 0 || x % 6 == 5 || y % 6 == 0 || y % 6 == 5)
                continue;
            const QColor want = logo.pixelColor(x, y);
            const QColor got = page.pixelColor(45 + x, 288 + y);
            if (std::max({std::abs(want.red() - got.red()), std::abs(want.green() - got.green()),
                          std::abs(want.blue() - got.blue())}) > 8)
                ++off;
        }
    EXPECT_EQ(off, 0);
}

TEST(PdfExport, FillsAndTextColoursReachThePage)
{
    struct Case {
        int32_t back, fore, shade;
        QColor row;      // a detail cell's fill
        QColor heading;  // the fill of the "Date" heading
        QColor ink;      // the heading's text
    };
    const Case cases[] = {
        {-1, -1, -1, QColor(255, 233, 233), Qt::white, Qt::black},
        {-1, -1, 0x00C0FFC0, QColor(192, 255, 192), Qt::white, Qt::black},
        {0x00602000, 0x0000FFFF, -1, QColor(255, 233, 233), QColor(0, 32, 96), QColor(255, 255, 0)},
    };
    const int dpi = 144;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.name().toStdString());
        DocumentFixture fx;
        fx.run.StmtBackColor = c.back;
        fx.run.StmtForeColor = c.fore;
        fx.run.StmtShadeColor = c.shade;
        fx.writeStatement(statementText(1));
        const QByteArray pdf = render(fx, false).pdf;
        {
            const QImage page = renderPdf(pdf, 0, dpi);
            // Due60 of the first row: 8460..9450 x 6720..6990, its text at the right and top.
            EXPECT_EQ(at(page, dpi, 8520, 6960), c.row);
            // Label8 "Date": 450..1260 x 6435..6705.
            EXPECT_EQ(at(page, dpi, 470, 6690), c.heading);
            EXPECT_GT(pixelsNear(page, dpi, QRect(450, 6435, 810, 270), c.ink), 10);
            // The stub's "Statement Date " keeps its design although it carries "BG".
            EXPECT_EQ(at(page, dpi, 6420, 1240), QColor(Qt::white));
            EXPECT_GT(pixelsNear(page, dpi, QRect(6390, 990, 1620, 270), Qt::black), 10);
            if (c.fore != -1) {
                EXPECT_EQ(pixelsNear(page, dpi, QRect(6390, 990, 1620, 270), c.ink), 0);
            }
        }
    }
}

TEST(PdfExport, ImagesOfPagesShowTheSameFills)
{
    DocumentFixture fx;
    fx.run.StmtBackColor = 0x00602000;
    fx.writeStatement(statementText(1));
    Statement st(fx.run, fx.fs);
    st.Run();
    const QImage page = renderPage(st.pages().Item(0), 144);
    EXPECT_EQ(page.size(), QSize(1224, 1584));
    EXPECT_EQ(at(page, 144, 8520, 6960), QColor(255, 233, 233));
    EXPECT_EQ(at(page, 144, 470, 6690), QColor(0, 32, 96));
    EXPECT_EQ(at(page, 144, 6420, 1240), QColor(Qt::white));
}

TEST(PdfExport, AValueWiderThanItsBoxIsCutAtTheBox)
{
    DocumentFixture fx;
    fx.writeStatement("D\t06/01/26\t1001\tAlpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliet Kilo\t"
                      "1.00\t0\t0\t0\t0\t0\t1.00\r\n");
    const auto pages = wordsOf(render(fx, false).pdf);
    const Word* first = find(pages[0], "Alpha");
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(first->left, 2070, 2);
    double rightmost = 0;
    for (const Word& w : pages[0])
        if (std::abs(w.top - first->top) < 2 && w.left < 4500)
            rightmost = std::max(rightmost, w.right);
    EXPECT_LE(rightmost, 2070 + 2430);
    EXPECT_GT(rightmost, 2070 + 2430 - 300);
    EXPECT_EQ(find(pages[0], "Kilo"), nullptr);
}

TEST(PdfExport, FontsAreEmbedded)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(1));
    fx.writeDetails(invoiceText(1, 1));
    const QByteArray pdf = render(fx, true).pdf;
    const auto doc = open(pdf);
    const std::vector<poppler::font_info> fonts = doc->fonts();
    ASSERT_FALSE(fonts.empty());
    std::set<std::string> names;
    for (const poppler::font_info& f : fonts) {
        EXPECT_TRUE(f.is_embedded()) << f.name();
        names.insert(f.name());
    }
    EXPECT_TRUE(names.count("LiberationSans"));
    EXPECT_TRUE(names.count("LiberationSansNarrow"));
}

TEST(PdfExport, ExportWritesTheWholeFileThroughTheFileSystem)
{
    DocumentFixture fx;
    fx.tree.mkdir("unc/host/parlow/email7/out");
    fx.writeStatement(statementText(1));
    Statement st(fx.run, fx.fs);
    st.Run();
    PdfExport exporter;
    exporter.FileName = "\\\\host\\parlow\\email7\\OUT\\1234567.0105.PDF";
    exporter.Option = 0;
    exporter.Export(st.pages(), fx.fs);
    const std::string bytes = fx.tree.read("unc/host/parlow/email7/out/1234567.0105.PDF");
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(open(QByteArray::fromStdString(bytes))->pages(), 1);

    exporter.FileName = "\\\\host\\parlow\\email7\\missing\\1234567.0105.PDF";
    try {
        exporter.Export(st.pages(), fx.fs);
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 76);
    }
}
