#include "mailer/document/page_layout.h"

namespace document {

PageLayout::PageLayout(PageGeometry geometry, int pageHeaderHeight, int pageFooterHeight)
    : geometry_(geometry), pageHeaderHeight_(pageHeaderHeight), pageFooterHeight_(pageFooterHeight)
{
}

void PageLayout::start(int reportHeaderHeight)
{
    page_ = 0;
    y_ = geometry_.top;
    placements_.clear();
    placements_.push_back({SectionKind::ReportHeader, page_, y_});
    y_ += reportHeaderHeight;
    placements_.push_back({SectionKind::PageHeader, page_, y_});
    y_ += pageHeaderHeight_;
    pageEmpty_ = reportHeaderHeight <= 0;
}

void PageLayout::openPage()
{
    ++page_;
    y_ = geometry_.top;
    placements_.push_back({SectionKind::PageHeader, page_, y_});
    y_ += pageHeaderHeight_;
    pageEmpty_ = true;
}

void PageLayout::closePage()
{
    placements_.push_back({SectionKind::PageFooter, page_, footerTop()});
}

void PageLayout::add(SectionKind kind, int height)
{
    if (height > 0 && y_ + height > footerTop() && !pageEmpty_) {
        closePage();
        openPage();
    }
    placements_.push_back({kind, page_, y_});
    y_ += height;
    if (height > 0)
        pageEmpty_ = false;
}

void PageLayout::finish()
{
    closePage();
}

QString PageLayout::toText(const std::vector<Placement>& placements)
{
    static const char* const names[] = {"report-header", "page-header",  "group-header", "detail",
                                        "group-footer",  "page-footer", "report-footer"};
    QString out;
    for (const Placement& p : placements)
        out += QStringLiteral("%1 %2 %3\n")
                   .arg(QLatin1String(names[static_cast<int>(p.kind)]))
                   .arg(p.page + 1)
                   .arg(p.top);
    return out;
}

}  // namespace document
