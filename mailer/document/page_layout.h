#pragma once
#include "mailer/document/section.h"

#include <QString>
#include <vector>

namespace document {

/// Paper and margins of a report, in twips.
struct PageGeometry {
    int width = 12240;
    int height = 15840;
    int left = 360;
    int right = 360;
    int top = 360;
    int bottom = 360;
};

/// Where one section lands: page index from 0 and the section's top on that page.
struct Placement {
    SectionKind kind;
    int page;
    int top;

    bool operator==(const Placement& o) const { return kind == o.kind && page == o.page && top == o.top; }
};

/// Places sections one after the other down the pages: the report header once at the top of
/// the first page, the page header at the top of every page (below the report header on the
/// first), the page footer at the bottom of every page. A section that does not fit between
/// the current position and the page footer starts a new page; one taller than a whole page
/// still gets a page of its own, so the layout always moves on.
class PageLayout {
public:
    PageLayout(PageGeometry geometry, int pageHeaderHeight, int pageFooterHeight);

    /// Opens the first page with the report header and the page header.
    void start(int reportHeaderHeight);
    /// Places a body section, breaking the page first when it does not fit.
    void add(SectionKind kind, int height);
    /// Closes the last page with its page footer.
    void finish();

    const std::vector<Placement>& placements() const { return placements_; }
    /// Forgets the placements made so far, once they are rendered.
    void clearPlacements() { placements_.clear(); }
    int pageCount() const { return page_ + 1; }

    /// The placements one a line ("detail 2 1995"), for comparing layouts as text.
    static QString toText(const std::vector<Placement>& placements);

private:
    void openPage();
    void closePage();
    int footerTop() const { return geometry_.height - geometry_.bottom - pageFooterHeight_; }

    PageGeometry geometry_;
    int pageHeaderHeight_;
    int pageFooterHeight_;
    int page_ = 0;
    int y_ = 0;
    bool pageEmpty_ = true;  ///< nothing but the page header on the current page yet
    std::vector<Placement> placements_;
};

}  // namespace document
