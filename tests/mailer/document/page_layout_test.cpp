#include "mailer/document/page_layout.h"

#include <gtest/gtest.h>

using namespace document;

namespace {

/// Lays out `rows` detail sections of `rowHeight` and a report footer; returns the placements.
QString layout(PageGeometry g, int reportHeader, int pageHeader, int pageFooter, int rows, int rowHeight,
               int reportFooter)
{
    PageLayout l(g, pageHeader, pageFooter);
    l.start(reportHeader);
    for (int i = 0; i < rows; ++i)
        l.add(SectionKind::Detail, rowHeight);
    l.add(SectionKind::ReportFooter, reportFooter);
    l.finish();
    return PageLayout::toText(l.placements());
}

PageGeometry statementPage()
{
    PageGeometry g;
    g.top = 720;
    return g;
}

}  // namespace

TEST(PageLayout, OnePageHasHeadersRowsFooterAndThePageFooterAtTheBottom)
{
    EXPECT_EQ(layout(statementPage(), 4725, 1275, 375, 2, 270, 1800).toStdString(),
              "report-header 1 720\n"
              "page-header 1 5445\n"
              "detail 1 6720\n"
              "detail 1 6990\n"
              "report-footer 1 7260\n"
              "page-footer 1 15105\n");
}

TEST(PageLayout, BreaksWhereTheNextSectionWouldReachThePageFooter)
{
    struct Case {
        int rows;
        int pages;
        const char* lastRow;       // the last detail placement
        const char* reportFooter;  // the report footer placement
    };
    // Page 1 holds rows from 6720 to the footer at 15105: 31 rows; later pages 48 rows from 1995.
    const Case cases[] = {
        {24, 1, "detail 1 12930", "report-footer 1 13200"},   // 13200 + 1800 = 15000 fits
        {25, 2, "detail 1 13200", "report-footer 2 1995"},    // 13470 + 1800 does not
        {31, 2, "detail 1 14820", "report-footer 2 1995"},
        {32, 2, "detail 2 1995", "report-footer 2 2265"},
        {79, 3, "detail 2 14685", "report-footer 3 1995"},
        {80, 3, "detail 3 1995", "report-footer 3 2265"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        PageLayout l(statementPage(), 1275, 375);
        l.start(4725);
        for (int i = 0; i < c.rows; ++i)
            l.add(SectionKind::Detail, 270);
        const Placement lastRow = l.placements().back();
        l.add(SectionKind::ReportFooter, 1800);
        const Placement footer = l.placements().back();
        l.finish();
        EXPECT_EQ(PageLayout::toText({lastRow}).trimmed().toStdString(), c.lastRow);
        EXPECT_EQ(PageLayout::toText({footer}).trimmed().toStdString(), c.reportFooter);
        int footers = 0;
        for (const Placement& p : l.placements())
            if (p.kind == SectionKind::PageFooter)
                ++footers;
        EXPECT_EQ(l.pageCount(), c.pages);
        EXPECT_EQ(footers, c.pages);
    }
}

TEST(PageLayout, EveryPageGetsItsHeaderAndFooterAroundABreak)
{
    PageGeometry g;  // 360 all round: body 720 .. 15120 - 360
    EXPECT_EQ(layout(g, 0, 480, 360, 3, 4800, 0).toStdString(),
              "report-header 1 360\n"
              "page-header 1 360\n"
              "detail 1 840\n"
              "detail 1 5640\n"
              "page-footer 1 15120\n"
              "page-header 2 360\n"
              "detail 2 840\n"
              "report-footer 2 5640\n"
              "page-footer 2 15120\n");
}

TEST(PageLayout, ASectionTallerThanAPageStillMovesOn)
{
    PageGeometry g;
    EXPECT_EQ(layout(g, 360, 480, 360, 2, 20000, 0).toStdString(),
              "report-header 1 360\n"
              "page-header 1 720\n"
              "page-footer 1 15120\n"
              "page-header 2 360\n"
              "detail 2 840\n"
              "page-footer 2 15120\n"
              "page-header 3 360\n"
              "detail 3 840\n"
              "report-footer 3 20840\n"
              "page-footer 3 15120\n");
}

TEST(PageLayout, ZeroHeightSectionsNeverBreakAPage)
{
    PageGeometry g;
    PageLayout l(g, 480, 360);
    l.start(360);
    for (int i = 0; i < 39; ++i)  // 1200 + 39 * 360 = 15240 > 15120: row 39 breaks
        l.add(SectionKind::Detail, 360);
    const int before = static_cast<int>(l.placements().size());
    l.add(SectionKind::GroupHeader, 0);
    EXPECT_EQ(static_cast<int>(l.placements().size()), before + 1);
    EXPECT_EQ(l.placements().back().kind, SectionKind::GroupHeader);
    EXPECT_EQ(l.placements().back().page, 1);
    EXPECT_EQ(l.placements().back().top, 840 + 360);
}

TEST(PageLayout, PositionsPassTheSixteenBitRange)
{
    PageGeometry g;
    PageLayout l(g, 480, 360);
    l.start(360);
    for (int i = 0; i < 40000; ++i)
        l.add(SectionKind::Detail, 360);
    l.finish();
    // 38 rows fill page 1 (1200 .. 14880), 39 each later page (840 .. 14880): 1 + 1025 pages.
    EXPECT_EQ(l.pageCount(), 1026);
    const Placement& last = l.placements()[l.placements().size() - 2];
    EXPECT_EQ(last.page, 1025);
    EXPECT_EQ(last.top, 840 + 25 * 360);  // 39962 - 1024 * 39 = 26 rows on the last page
    EXPECT_EQ(l.placements().back().kind, SectionKind::PageFooter);
}
