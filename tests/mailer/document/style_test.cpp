#include "mailer/document/style.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace document;

TEST(Style, ReadsEachKindOfPartOnTopOfTheBase)
{
    struct Case {
        const char* text;
        const char* family;
        double size;
        Align align;
        QColor text_colour;
        QColor fill;
    };
    const Case cases[] = {
        {"", "Arial", 10, Align::Left, Qt::black, QColor()},
        {"right", "Arial", 10, Align::Right, Qt::black, QColor()},
        {"Arial 8.5 pt, right, text RGB(192,0,0)", "Arial", 8.5, Align::Right, QColor(192, 0, 0), QColor()},
        {"Microsoft Sans Serif 8.5 pt, center, fill RGB(255,233,233)", "Microsoft Sans Serif", 8.5, Align::Center,
         Qt::black, QColor(255, 233, 233)},
        {"Arial Narrow 10 pt, center", "Arial Narrow", 10, Align::Center, Qt::black, QColor()},
        {"fill RGB(255,255,255)", "Arial", 10, Align::Left, Qt::black, QColor(255, 255, 255)},
        {"Arial 14.5 pt, right", "Arial", 14.5, Align::Right, Qt::black, QColor()},
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
}

TEST(Style, RejectsWhatItCannotRead)
{
    for (const char* bad : {"bold", "fill RGB(1,2)", "Arial pt", "Arial x pt", "right,center"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parseStyle(QString::fromLatin1(bad)), std::invalid_argument);
    }
}

TEST(Style, PlatformColoursHoldRedInTheLowByte)
{
    EXPECT_EQ(colourFromBgr(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(colourFromBgr(0x00E9E9FF), QColor(255, 233, 233));
    EXPECT_EQ(colourFromBgr(0x00FF0000), QColor(0, 0, 255));
}
