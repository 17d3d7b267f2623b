#include "mailer/document/style.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace document;

// The design's own style texts are proven through the statement goldens; these are the edges.
TEST(Style, ReadsItsPartsOnTopOfTheBaseAndRejectsWhatItCannotRead)
{
    struct Case {
        const char* text;
        const char* family;
        double size;
        Align align;
        QColor text_colour, fill;
    };
    const Case cases[] = {
        {"", "Arial", 10, Align::Left, Qt::black, QColor()},
        {"fill RGB(255,255,255)", "Arial", 10, Align::Left, Qt::black, Qt::white},
        {"Microsoft Sans Serif 8.5 pt, center, text RGB(192,0,0), fill RGB(255,233,233)", "Microsoft Sans Serif",
         8.5, Align::Center, QColor(192, 0, 0), QColor(255, 233, 233)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Style s = parseStyle(QString::fromLatin1(c.text));
        EXPECT_EQ(s.family, QString::fromLatin1(c.family));
        EXPECT_DOUBLE_EQ(s.size, c.size);
        EXPECT_EQ(s.align, c.align);
        EXPECT_EQ(s.textColor, c.text_colour);
        EXPECT_EQ(s.fillColor, c.fill);
    }
    for (const char* bad : {"bold", "fill RGB(1,2)", "Arial pt", "Arial x pt", "right,center"})
        EXPECT_THROW(parseStyle(QString::fromLatin1(bad)), std::invalid_argument) << bad;
}
