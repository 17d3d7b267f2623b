#include "mailer/document/page_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace document;

namespace {

/// Lays out a report header, `rows` detail sections of `rowHeight` and a report footer.
PageLayout layout(int top, int reportHeader, int pageHeader, int pageFooter, int rows, int rowHeight,
                  int reportFooter)
{
    PageGeometry g;  // 360 all round
    g.top = top;
    PageLayout l(g, pageHeader, pageFooter);
    l.start(reportHeader);
    for (int i = 0; i < rows; ++i)
        l.add(SectionKind::Detail, rowHeight);
    l.add(SectionKind::ReportFooter, reportFooter);
    l.finish();
    return l;
}

std::string line(const Placement& p) { return PageLayout::toText({p}).trimmed().toStdString(); }

}  // namespace

TEST(PageLayout, ASectionTallerThanAPageStillMovesOn)
{
    EXPECT_EQ(PageLayout::toText(layout(360, 360, 480, 360, 2, 20000, 0).placements()).toStdString(),
              "report-header 1 360\npage-header 1 720\npage-footer 1 15120\n"
              "page-header 2 360\ndetail 2 840\npage-footer 2 15120\n"
              "page-header 3 360\ndetail 3 840\nreport-footer 3 20840\npage-footer 3 15120\n");
}

TEST(PageLayout, BreaksWhereTheNextSectionWouldReachThePageFooter)
{
    // Page 1 holds rows from 6720 to the footer at 15105: 31 rows; later pages 48 rows from 1995.
    const struct {
        int rows, footer, pages;
        const char* lastRow;
        const char* reportFooter;
    } cases[] = {
        {24, 1800, 1, "detail 1 12930", "report-footer 1 13200"},  // 13200 + 1800 = 15000 fits
        {24, 1905, 1, "detail 1 12930", "report-footer 1 13200"},  // ends exactly at the page footer
        {24, 1906, 2, "detail 1 12930", "report-footer 2 1995"},
        {25, 1800, 2, "detail 1 13200", "report-footer 2 1995"},   // 13470 + 1800 does not
        {31, 1800, 2, "detail 1 14820", "report-footer 2 1995"},
        {32, 1800, 2, "detail 2 1995", "report-footer 2 2265"},
        {79, 1800, 3, "detail 2 14685", "report-footer 3 1995"},
        {80, 1800, 3, "detail 3 1995", "report-footer 3 2265"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        const PageLayout l = layout(720, 4725, 1275, 375, c.rows, 270, c.footer);
        const auto& all = l.placements();
        auto last = [&](SectionKind kind) {
            return line(*std::find_if(all.rbegin(), all.rend(), [&](const Placement& p) { return p.kind == kind; }));
        };
        EXPECT_EQ(last(SectionKind::Detail), c.lastRow);
        EXPECT_EQ(last(SectionKind::ReportFooter), c.reportFooter);
        EXPECT_EQ(l.pageCount(), c.pages);
        EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const Placement& p) { return p.kind == SectionKind::PageFooter; }),
                  c.pages);
    }
}

TEST(PageLayout, PositionsPassTheSixteenBitRange)
{
    const PageLayout l = layout(360, 360, 480, 360, 40000, 360, 0);
    // 38 rows fill page 1 (1200 .. 14880), 39 each later page (840 .. 14880): 1 + 1025 pages.
    EXPECT_EQ(l.pageCount(), 1026);
    const auto& all = l.placements();
    EXPECT_EQ(line(all[all.size() - 3]), "detail 1026 " + std::to_string(840 + 25 * 360));
}
