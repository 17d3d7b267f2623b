#include "mailer/document/style.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace document;

// Each style of the designs shows in the statement and invoice goldens; these are the edges.
TEST(Style, ReadsAllItsPartsTogetherAndRejectsWhatItCannotRead)
{
    const Style s = parseStyle(u"Arial Narrow 8.5 pt, center, text RGB(192,0,0), fill RGB(255,233,233)");
    EXPECT_EQ(s.family, "Arial Narrow");
    EXPECT_DOUBLE_EQ(s.size, 8.5);
    EXPECT_EQ(s.align, Align::Center);
    EXPECT_EQ(s.textColor, QColor(192, 0, 0));
    EXPECT_EQ(s.fillColor, QColor(255, 233, 233));
    for (const char* bad : {"bold", "fill RGB(1,2)", "Arial pt", "Arial x pt", "right,center"})
        EXPECT_THROW(parseStyle(QString::fromLatin1(bad)), std::invalid_argument) << bad;
}
