#include "mailer/document/statement.h"

#include "mailer/input/bad_record.h"
#include "platform/error.h"
#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>

using namespace document;
using testing_support::DocumentFixture;
using testing_support::statementText;

namespace {

std::vector<std::string> lines(const Page& page)
{
    std::vector<std::string> out;
    for (const PageItem& item : page.items())
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

bool has(const Page& page, const std::string& line)
{
    const auto all = lines(page);
    return std::find(all.begin(), all.end(), line) != all.end();
}

QImage logoPicture(QColor colour)
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace

TEST(Statement, TheStubPrintsAsDesigned)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(2, true));
    Statement st(fx.run, fx.fs);
    st.Run();
    ASSERT_EQ(st.pages().Count(), 1);
    const auto all = lines(st.pages().Item(0));
    const std::vector<std::string> stub(all.begin(), all.begin() + 25);
    EXPECT_EQ(stub, (std::vector<std::string>{
        "text 720,990 4680x270 \"Acme Corp\" left Arial 10",
        "text 6390,990 1620x270 \"Statement Date \" right Arial 10",
        "text 8100,990 900x270 \"06/30/26\" center Arial 10 fill #ffffff",
        "text 9090,990 1350x270 \"Account \" right Arial 10",
        "text 10530,990 990x270 \"  1234567\" right Arial 10 fill #ffffff",
        "text 720,1260 4680x270 \"1 Main St\" left Arial 10",
        "text 9090,1350 1350x270 \"Total \" right Arial 10",
        "text 10530,1350 1170x270 \"77.77\" right Arial 10",
        "text 720,1530 4680x270 \"Suite 2\" left Arial 10",
        "text 9090,1710 1350x270 \"Balance Due \" right Arial 10",
        "text 10530,1710 1170x270 \"88.88\" right Arial 10 fill #ffffff",
        "text 720,1800 4680x270 \"Eugene OR 97401\" left Arial 10",
        "text 9090,2070 1350x270 \"Amount Paid \" right Arial 10",
        "box 10530,2070 1170x270",
        "text 5940,2430 5760x270 \"Take 2% if paid by 07/10/26\" right Arial 8.5 color #c00000",
        "text 6660,3240 5130x270 \"Thank you for your business\" left Arial 8.5",
        "text 720,3510 4680x270 \"TORVIK HARDWARE\" left Arial 10",
        "text 6660,3690 5130x270 \"Please pay by the 10th\" left Arial 8.5",
        "text 720,3780 4680x270 \"12 Mill Rd\" left Arial 10",
        "text 720,4050 4680x270 \"Springfield OR 97477\" left Arial 10",
        "text 6660,4140 5130x270 \"Call us with questions\" left Arial 8.5",
        "text 720,4320 4680x270 \"541-555-0100\" left Arial 10",
        "text 5940,5220 810x270 \"Fold Here\" left Arial 8.5",
        "line 360,5400 11700,5400",
        "text 1530,5715 2430x270 \"Total Due Last Statement:\" left Arial 10",
    }));
}

TEST(Statement, OneShadedRowPerLineThenTotalsThenThePageFooter)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(1, true));
    Statement st(fx.run, fx.fs);
    st.Run();
    const auto all = lines(st.pages().Item(0));
    ASSERT_GE(all.size(), 39u);
    const std::vector<std::string> tail(all.end() - 39, all.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
        "text 450,6720 810x270 \"06/2/26\" center Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 1260,6720 810x270 \"1001\" left Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 fill #ffe9e9",
        "text 4500,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5490,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 6480,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 7470,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 8460,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 9450,6720 990x270 \"0.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 10440,6720 990x270 \"1.00\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "check 11520,6720 270x270 empty",
        "text 450,7260 4050x540 \"TOTALS       \" right Arial 14.5",
        "text 4500,7260 990x270 \"On Account\" center Arial 8.5",
        "text 5490,7260 990x270 \"Future\" center Arial 10",
        "text 6480,7260 990x270 \"Current\" center Arial 10",
        "text 7470,7260 990x270 \"Past 30+\" center Arial 10",
        "text 8460,7260 990x270 \"Past 60+\" center Arial 10",
        "text 9450,7260 990x270 \"Past 90+\" center Arial 10",
        "text 10440,7260 990x260 \"Total\" center Arial 10",
        "text 4500,7530 990x270 \"1.11\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5490,7530 990x270 \"2.22\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 6480,7530 990x270 \"3.33\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 7470,7530 990x270 \"4.44\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 8460,7530 990x270 \"5.55\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 9450,7530 990x270 \"6.66\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 10440,7530 990x270 \"77.77\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 6300,7980 2700x270 \"PAY THIS AMOUNT ------>\" left Arial 10 fill #ffe9e9",
        "text 9180,7980 1260x270 \"BALANCE DUE\" left Microsoft Sans Serif 8.5 fill #ffffff",
        "text 10440,7980 990x270 \"88.88\" right Microsoft Sans Serif 8.5 fill #ffe9e9",
        "text 5130,8430 6300x360 \"Take 2% if paid by 07/10/26\" right Microsoft Sans Serif 8.5 color #c00000",
        "line 450,15195 11790,15195",
        "text 450,15285 630x180 \"Page\" left Arial 10",
        "text 1080,15285 270x180 \"1\" left Arial 10",
        "text 1350,15285 270x180 \"of\" left Arial 10",
        "text 1620,15285 360x180 \"1\" left Arial 10",
        "text 10260,15285 630x180 \"Page\" left Arial 10",
        "text 10890,15285 270x180 \"1\" left Arial 10",
        "text 11160,15285 270x180 \"of\" left Arial 10",
        "text 11430,15285 360x180 \"1\" left Arial 10",
    }));
}

TEST(Statement, ManyPagesRepeatThePageHeaderAndFooterAndPrintTheStubAndTotalsOnce)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(60));
    Statement st(fx.run, fx.fs);
    st.Run();
    ASSERT_EQ(st.pages().Count(), 2);  // 31 rows on page 1, 29 and the totals on page 2
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Page& page = st.pages().Item(i);
        EXPECT_EQ(itemShowing(page, "Fold Here").empty(), i != 0);
        EXPECT_EQ(itemShowing(page, "TOTALS       ").empty(), i != 1);
        EXPECT_FALSE(itemShowing(page, "Total Due Last Statement:").empty());
        EXPECT_TRUE(has(page, "text 10890,15285 270x180 \"" + std::to_string(i + 1) + "\" left Arial 10"));
        EXPECT_TRUE(has(page, "text 11430,15285 360x180 \"2\" left Arial 10"));
    }
    EXPECT_EQ(itemShowing(st.pages().Item(0), "1031"), "text 1260,14820 810x270 \"1031\" left Microsoft Sans Serif 8.5 fill #ffe9e9");
    EXPECT_EQ(itemShowing(st.pages().Item(1), "1032"), "text 1260,1995 810x270 \"1032\" left Microsoft Sans Serif 8.5 fill #ffe9e9");
}

TEST(Statement, WithoutLinesThePageHoldsHeadersAndTotals)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(0));
    Statement st(fx.run, fx.fs);
    st.Run();
    ASSERT_EQ(st.pages().Count(), 1);
    EXPECT_EQ(itemShowing(st.pages().Item(0), "TOTALS       "), "text 450,6990 4050x540 \"TOTALS       \" right Arial 14.5");
    EXPECT_EQ(st.details(), nullptr);
}

TEST(Statement, RecoloursTaggedControlsOfPageHeaderDetailAndReportFooterOnly)
{
    struct Case {
        int32_t back, fore, shade;
        const char* heading;   // page header "Date"
        const char* row;       // detail "Invoice 1001"
        const char* totals;    // report footer "TOTALS       "
        const char* payThis;   // report footer shade label
    };
    const Case cases[] = {
        {-1, -1, -1, "text 450,6435 810x270 \"Date\" center Arial 10",
         "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 fill #ffe9e9",
         "text 450,7260 4050x540 \"TOTALS       \" right Arial 14.5",
         "text 6300,7980 2700x270 \"PAY THIS AMOUNT ------>\" left Arial 10 fill #ffe9e9"},
        {-1, -1, 0x00C0FFC0, "text 450,6435 810x270 \"Date\" center Arial 10",
         "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 fill #c0ffc0",
         "text 450,7260 4050x540 \"TOTALS       \" right Arial 14.5",
         "text 6300,7980 2700x270 \"PAY THIS AMOUNT ------>\" left Arial 10 fill #c0ffc0"},
        {0x00800000, 0x00FFFFFF, -1, "text 450,6435 810x270 \"Date\" center Arial 10 color #ffffff fill #000080",
         "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 fill #ffe9e9",
         "text 450,7260 4050x540 \"TOTALS       \" right Arial 14.5 color #ffffff fill #000080",
         "text 6300,7980 2700x270 \"PAY THIS AMOUNT ------>\" left Arial 10 fill #ffe9e9"},
        {-1, 0x000000C0, -1, "text 450,6435 810x270 \"Date\" center Arial 10 color #c00000",
         "text 2070,6720 2430x270 \"Invoice 1001\" left MS Sans Serif 8.5 fill #ffe9e9",
         "text 450,7260 4050x540 \"TOTALS       \" right Arial 14.5 color #c00000",
         "text 6300,7980 2700x270 \"PAY THIS AMOUNT ------>\" left Arial 10 fill #ffe9e9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        DocumentFixture fx;
        fx.run.StmtBackColor = c.back;
        fx.run.StmtForeColor = c.fore;
        fx.run.StmtShadeColor = c.shade;
        fx.writeStatement(statementText(1));
        Statement st(fx.run, fx.fs);
        st.Run();
        const Page& page = st.pages().Item(0);
        EXPECT_EQ(itemShowing(page, "Date"), c.heading);
        EXPECT_EQ(itemShowing(page, "Invoice 1001"), c.row);
        EXPECT_EQ(itemShowing(page, "TOTALS       "), c.totals);
        EXPECT_EQ(itemShowing(page, "PAY THIS AMOUNT ------>"), c.payThis);
        // The stub keeps its design although its labels carry "BG".
        EXPECT_EQ(itemShowing(page, "Amount Paid "), "text 9090,2070 1350x270 \"Amount Paid \" right Arial 10");
        EXPECT_EQ(itemShowing(page, "Page"), "text 450,15285 630x180 \"Page\" left Arial 10");
    }
}

TEST(Statement, AWideLogoWinsAndEitherLogoHidesTheReturnAddress)
{
    struct Case {
        bool narrow, wide;
        const char* image;  // the image item, "" for none
    };
    const Case cases[] = {
        {false, false, ""},
        {true, false, "image 720,2880 4410x2160 300x100"},
        {false, true, "image 450,2880 6030x2160 300x100"},
        {true, true, "image 450,2880 6030x2160 300x100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.narrow) + std::to_string(c.wide));
        DocumentFixture fx;
        if (c.narrow)
            fx.writeLogo("Stmtlogo", logoPicture(Qt::red));
        if (c.wide)
            fx.writeLogo("Stmtlogowide", logoPicture(Qt::blue));
        fx.writeStatement(statementText(1));
        Statement st(fx.run, fx.fs);
        st.Run();
        const Page& page = st.pages().Item(0);
        std::string image;
        for (const PageItem& item : page.items())
            if (item.kind == PageItem::Kind::Image) {
                image = item.toText().toStdString();
                EXPECT_EQ(item.image.pixelColor(0, 0), c.wide ? QColor(Qt::blue) : QColor(Qt::red));
            }
        EXPECT_EQ(image, c.image);
        const bool anyLogo = c.narrow || c.wide;
        EXPECT_EQ(itemShowing(page, "TORVIK HARDWARE").empty(), anyLogo);
        EXPECT_EQ(itemShowing(page, "541-555-0100").empty(), anyLogo);
        EXPECT_EQ(st.control("Logo1").visible, c.narrow && !c.wide);
    }
}

TEST(Statement, AFolderNamedLikeTheLogoCountsAsALogoAndFailsToLoad)
{
    DocumentFixture fx;
    fx.tree.mkdir("home/Stmtlogo");
    fx.writeStatement(statementText(1));
    Statement st(fx.run, fx.fs);
    EXPECT_THROW(st.Run(), platform::Error);
}

TEST(Statement, ALogoThatIsNoPictureEndsTheRunNamingTheFile)
{
    DocumentFixture fx;
    fx.tree.write("home/Stmtlogowide", "not a picture");
    fx.writeStatement(statementText(1));
    Statement st(fx.run, fx.fs);
    try {
        st.Run();
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 481);
        EXPECT_EQ(e.description(), "Invalid picture");
        EXPECT_EQ(e.file(), "C:\\Program Files\\Torvik\\Stmtlogowide");
    }
}

TEST(Statement, ReadingFailuresReachTheCaller)
{
    DocumentFixture fx;
    Statement missing(fx.run, fx.fs);
    try {
        missing.Run();
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.file(), QString::fromLatin1(DocumentFixture::kStmtPath));
    }

    fx.writeStatement("H\tAcme\t\t\t\t06/30/26\t1234567\t0.00\r\nD\t06/01/26\t1001\r\n");
    Statement shortRecord(fx.run, fx.fs);
    try {
        shortRecord.Run();
        FAIL() << "no error";
    } catch (const input::BadRecord& e) {
        EXPECT_EQ(e.message(), "An Error has occured on Account 1234567");
    }
}

TEST(Statement, FieldsAreTheThirtyFiveInTheirOrder)
{
    DocumentFixture fx;
    fx.writeStatement(statementText(0));
    Statement st(fx.run, fx.fs);
    st.Run();
    ASSERT_EQ(st.Fields().Count(), 35);
    EXPECT_EQ(st.Fields().name(0), "FromAddr1");
    EXPECT_EQ(st.Fields().name(19), "CurDue");
    EXPECT_EQ(st.Fields().name(31), "BalDue");
    EXPECT_EQ(st.Fields().name(34), "RemitDiscount");
    EXPECT_EQ(st.Fields().value(u"baldue"), "88.88");
}
