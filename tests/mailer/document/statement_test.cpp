#include "mailer/document/picture.h"
#include "mailer/document/statement.h"

#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace document;
using testing_support::DocumentFixture;
using testing_support::errorOf;
using testing_support::statementText;

namespace {

/// The page's items but its fixed labels, whose places and styles are the design's own.
std::vector<std::string> lines(const Page& page)
{
    std::vector<std::string> out;
    for (const PageItem& item : page.items())
        if (item.kind != PageItem::Kind::Text || item.fit != PageItem::Fit::Designed || item.number != PageItem::Number::None)
            out.push_back(item.toText().toStdString());
    return out;
}

/// The print of the item that shows `text`, or "" when no item shows it.
std::string itemShowing(const Page& page, const QString& text)
{
    for (const PageItem& item : page.items())
        if (item.text == text)
            return item.toText().toStdString();
    return "";
}

}  // namespace

TEST(Statement, TheStubHeaderRowTotalsAndFooterShowTheirValuesAsDesigned)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(1, true));
    const Pages pages = fx.combined();
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(lines(pages.Item(0)), (std::vector<std::string>{
        "text 720,990 4680x270 \"Acme Corp\" left Arial 10 words",
        "text 8100,990 900x270 \"06/30/26\" center Arial 10 fill #ffffff",
        "text 10530,990 990x270 \"  1234567\" right Arial 10 fill #ffffff",
        "text 720,1260 4680x270 \"1 Main St\" left Arial 10 words",
        "text 10530,1350 1170x270 \"77.77\" right Arial 10",
        "text 720,1530 4680x270 \"Suite 2\" left Arial 10 words",
        "text 10530,1710 1170x270 \"88.88\" right Arial 10 fill #ffffff",
        "text 720,1800 4680x270 \"Eugene OR 97401\" left Arial 10 words",
        "box 10530,2070 1170x270",
        "text 5940,2430 5760x270 \"Take 2% if paid by 07/10/26\" right Arial 8.5 color #c00000",
        "text 6660,3240 5130x270 \"Thank you for your business\" left Arial 8.5 words",
        "text 720,3510 4680x270 \"TORVIK HARDWARE\" left Arial 10 words",
        "text 6660,3690 5130x270 \"Please pay by the 10th\" left Arial 8.5 words",
        "text 720,3780 4680x270 \"12 Mill Rd\" left Arial 10 words",
        "text 720,4050 4680x270 \"Springfield OR 97477\" left Arial 10 words",
        "text 6660,4140 5130x270 \"Call us with questions\" left Arial 8.5 words",
        "text 720,4320 4680x270 \"541-555-0100\" left Arial 10 words",
        "line 360,5400 11700,5400",
        "text 3960,5715 1080x270 \"150.00\" right Microsoft Sans Serif 8.5",
        "text 8100,5715 900x270 \"06/30/26\" center Arial 10 fill #ffffff",
        "text 10620,5715 900x270 \"  1234567\" right Arial 10 fill #ffffff",
        "check 11520,6075 270x270 ticked",
        "text 450,6720 810x270 \"06/2/26\" center Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 1260,6720 810x270 \"1001\" left Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 words fill #ffe9e9",
        "text 4500,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5490,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 6480,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 7470,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 8460,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 9450,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 10440,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "check 11520,6720 270x270 empty",
        "text 4500,7530 990x270 \"1.11\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5490,7530 990x270 \"2.22\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 6480,7530 990x270 \"3.33\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 7470,7530 990x270 \"4.44\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 8460,7530 990x270 \"5.55\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 9450,7530 990x270 \"6.66\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 10440,7530 990x270 \"77.77\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 10440,7980 990x270 \"88.88\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5130,8430 6300x360 \"Take 2% if paid by 07/10/26\" right Microsoft Sans Serif 8.5 color #c00000",
        "line 450,15195 11790,15195",
        "text 1080,15285 270x180 \"1\" left Arial 10",
        "text 1620,15285 360x180 \"1\" left Arial 10",
        "text 10890,15285 270x180 \"1\" left Arial 10",
        "text 11430,15285 360x180 \"1\" left Arial 10",
    }));
}

TEST(Statement, WithoutLinesTheTotalsFollowTheHeadingsAndNamesAreFoundInAnyCase)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(0));
    Statement st(fx.run, fx.read(), fx.fs);
    st.Run();
    EXPECT_EQ(itemShowing(st.pages().Item(0), "TOTALS       "), "text 450,6990 4050x540 \"TOTALS       \" right Arial 14.5");
    EXPECT_EQ(st.Fields().value(u"baldue"), "88.88");
    EXPECT_THROW(st.Fields().setField("Missing", "x"), platform::Error);
    EXPECT_THROW(st.control(QStringLiteral("Nothing")), platform::Error);
}

TEST(Statement, ANarrowLogoAloneTakesItsFrameAndHidesTheReturnAddress)
{
    DocumentFixture fx;
    QImage logo(300, 100, QImage::Format_RGB32);
    logo.fill(Qt::red);
    fx.writeLogo("Stmtlogo", logo);
    fx.writeStatement(statementText(1));
    const Page page = fx.combined().Item(0);
    const auto image = std::find_if(page.items().begin(), page.items().end(),
                                    [](const PageItem& item) { return item.kind == PageItem::Kind::Image; });
    ASSERT_NE(image, page.items().end());
    EXPECT_EQ(image->toText(), "image 720,2880 4410x2160 300x100");
    EXPECT_EQ(image->image.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(itemShowing(page, "TORVIK HARDWARE"), "");
    EXPECT_EQ(itemShowing(page, "541-555-0100"), "");
}

TEST(Statement, TheRunsSharedLogoIsReadAgainAtTheLookAfterItsFileChanged)
{
    DocumentFixture fx;
    DocumentCache cache;
    fx.writeStatement(statementText(1));
    auto logoColour = [&](bool newLook) {
        if (newLook) {  // as each batch of a run begins
            fx.fs.beginBatch();
            fx.fs.endBatch();
        }
        Statement st(fx.run, fx.read(), fx.fs, &cache);
        st.Run();
        for (const PageItem& item : st.pages().Item(0).items())
            if (item.kind == PageItem::Kind::Image)
                return std::make_pair(item.image.pixelColor(0, 0), item.image.cacheKey());
        return std::make_pair(QColor(), qint64(0));
    };
    QImage logo(300, 100, QImage::Format_RGB32);
    logo.fill(Qt::red);
    fx.writeLogo("Stmtlogo", logo);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // past the file clock's tick
    const auto first = logoColour(true);
    EXPECT_EQ(first.first, QColor(Qt::red));
    EXPECT_EQ(logoColour(true).second, first.second);  // the same picture, not read again
    logo.fill(Qt::blue);
    fx.writeLogo("Stmtlogo", logo);
    EXPECT_EQ(logoColour(false).first, QColor(Qt::red));  // the install folder is asked once a look
    EXPECT_EQ(logoColour(true).first, QColor(Qt::blue));
}

TEST(Statement, ALogoIsReadAsQtFindsItsFormat)
{
    QImage logo(60, 20, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    logo.setPixelColor(3, 4, Qt::yellow);
    for (const char* format : {"PNG", "BMP", "JPG"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(logo.save(&buffer, format)) << format;
        const QImage found = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(pictureForFrame(bytes.toStdString(), QSize(14400, 14400)), found) << format;
    }
}

TEST(Statement, ALogoThatCannotBeReadEndsTheRunNamingTheFile)
{
    for (bool folder : {true, false}) {
        DocumentFixture fx;
        fx.writeStatement(statementText(1));
        if (folder)
            fx.tree.mkdir("home/Stmtlogo");
        else
            fx.tree.write("home/Stmtlogowide", "not a picture");
        const auto e = errorOf([&] { fx.combined(); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number(), folder ? 75 : 481);
        EXPECT_EQ(e->description(), folder ? "Path/File access error" : "Invalid picture");
        EXPECT_EQ(e->file(), folder ? "C:\\Program Files\\Torvik\\Stmtlogo" : "C:\\Program Files\\Torvik\\Stmtlogowide");
    }
}
