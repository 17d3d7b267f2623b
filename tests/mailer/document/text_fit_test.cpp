#include "mailer/document/text_fit.h"

#include <gtest/gtest.h>

using namespace document;

namespace {

double widthOf(const PageItem& item, const std::string& bytes)
{
    const FaceMetrics& m = faceMetrics(item.style.family, item.style.size);
    double w = 0;
    for (unsigned char c : bytes)
        w += m.advance[c];
    return w;
}

}  // namespace

// Each kind of field of the designs, with a text that fits and one that does not: values
// print whole however narrow, free text narrows to 70% and then loses whole words, designed
// labels print as they always have.
TEST(TextFit, NoValueIsPrintedCutAndFreeTextIsCutOnlyAfterAWholeWord)
{
    using Fit = PageItem::Fit;
    const struct {
        const char* field;
        Fit fit;
        const char* style;
        int width;
        const char* text;
        const char* shown;
        double least, most;  // the narrowing
    } cases[] = {
        {"amount", Fit::Whole, "Microsoft Sans Serif 8.5 pt, right", 990, "1.00", "1.00", 1, 1},
        {"amount", Fit::Whole, "Arial 10 pt, right", 1170, "11,234,567.89", "11,234,567.89", 0.5, 0.99},
        {"amount", Fit::Whole, "Microsoft Sans Serif 8.5 pt, right", 990, "-11,234,567,890.99", "-11,234,567,890.99", 0.3, 0.7},
        {"date", Fit::Whole, "Microsoft Sans Serif 8.5 pt, center", 810, "06/30/2009", "06/30/2009", 0.5, 0.99},
        {"account", Fit::Whole, "right", 900, "1234567890123", "1234567890123", 0.4, 0.99},
        {"page number", Fit::Whole, "", 270, "100", "100", 0.5, 0.99},
        {"page count", Fit::Whole, "", 360, "1043", "1043", 0.5, 0.99},
        {"page count", Fit::Whole, "", 360, "104", "104", 1, 1},
        {"name", Fit::Words, "", 4680, "Acme Corp", "Acme Corp", 1, 1},
        {"name", Fit::Words, "", 4680, "Northwest Regional Building Supply Cooperative of Lane",
         "Northwest Regional Building Supply Cooperative of Lane", 0.7, 0.99},
        {"description", Fit::Words, "MS Sans Serif 8.5 pt", 2430,
         "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliet Kilo", "Alpha Bravo Charlie Delta Echo Foxtrot Golf", 0.7, 1},
        {"description", Fit::Words, "MS Sans Serif 8.5 pt", 2430, "Superconductingelectromagnetbracketassembly",
         "Superconductingelectromagnetbracketassembly", 0.3, 0.7},
        {"message", Fit::Words, "Arial 8.5 pt, right", 1500, "Take 2%   if paid by 07/10/26", "Take 2%   if paid by", 0.7, 1},
        {"label", Fit::Designed, "right", 720, "ShipTo: ", "ShipTo:", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        PageItem item;
        item.rect = QRect(1000, 2000, c.width, 270);
        item.style = parseStyle(QString::fromLatin1(c.style));
        item.fit = c.fit;
        item.text = QString::fromLatin1(c.text);
        const FittedText f = fitText(item);
        EXPECT_EQ(f.bytes, c.shown);
        EXPECT_GE(f.scale, c.least);
        EXPECT_LE(f.scale, c.most);
        const double shown = widthOf(item, f.bytes) * f.scale;
        EXPECT_LE(shown, c.width + 0.02);
        // Aligned as designed.
        const double expected = item.style.align == Align::Left    ? 1000
                                : item.style.align == Align::Right ? 1000 + c.width - shown
                                                                   : 1000 + (c.width - shown) / 2;
        EXPECT_NEAR(f.x, expected, 0.01);
        EXPECT_NEAR(f.baseline - 2000, faceMetrics(item.style.family, item.style.size).ascent, 0.01);
    }
}
