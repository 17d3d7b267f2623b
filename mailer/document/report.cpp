#include "mailer/document/report.h"

#include "mailer/document/document_cache.h"
#include "mailer/document/text_fit.h"
#include "platform/cp1252.h"
#include "platform/error.h"

#include <algorithm>

namespace document {

/// Lays one run's sections onto pages as the layout places them.
class Report::Printer {
public:
    Printer(Report& report, PageSink& sink)
        : report_(report),
          sink_(sink),
          pageHeader_(report.sectionOf(SectionKind::PageHeader)),
          pageFooter_(report.sectionOf(SectionKind::PageFooter)),
          layout_(report.geometry_, height(pageHeader_), height(pageFooter_))
    {
        for (const Section& s : report.sections_)
            bindings_.push_back(bind(s));
    }

    void start(const Section* reportHeader)
    {
        layout_.start(reportHeader && !reportHeader->controls().empty() ? reportHeader->height() : 0);
        flush(reportHeader);
    }

    /// Places a body section; one without controls prints nothing and takes no room.
    void add(const Section* section)
    {
        if (!section || section->controls().empty())
            return;
        layout_.add(section->kind(), section->height());
        flush(section);
    }

    void finish()
    {
        layout_.finish();
        flush(nullptr);
        sink_.endRun(pageIndex_ + 1);
    }

private:
    static int height(const Section* s) { return s ? s->height() : 0; }

    /// The field index of each bound control of a section, -1 for the others.
    std::vector<int> bind(const Section& s) const
    {
        std::vector<int> indices;
        for (const Control& c : s.controls()) {
            int index = -1;
            if (!c.field.isEmpty() && (c.kind == ControlKind::Field || c.kind == ControlKind::CheckBox)) {
                index = report_.fields_.indexOf(c.field);
                if (index < 0)
                    throw platform::Error(platform::Error::InvalidCall,
                                          QStringLiteral("Unknown report field ") + c.field, QString());
            }
            indices.push_back(index);
        }
        return indices;
    }

    /// Renders every placement the layout made since the last call; `body` is the section of
    /// the body placements among them. A page goes to the sink with its footer, the last
    /// placement the layout makes on a page.
    void flush(const Section* body)
    {
        for (const Placement& p : layout_.placements()) {
            const Section* s = body;
            if (p.kind == SectionKind::PageHeader)
                s = pageHeader_;
            else if (p.kind == SectionKind::PageFooter)
                s = pageFooter_;
            if (p.page != pageIndex_) {
                pageIndex_ = p.page;
                page_ = Page(report_.geometry_.width, report_.geometry_.height);
            }
            if (s)
                render(*s, page_, p.top);
            if (p.kind == SectionKind::PageFooter) {
                page_.setNumber(pageIndex_ + 1);
                sink_.addPage(std::move(page_));
                page_ = Page(report_.geometry_.width, report_.geometry_.height);
            }
        }
        layout_.clearPlacements();
    }

    void render(const Section& s, Page& page, int top)
    {
        const std::vector<int>& binding = bindings_[static_cast<size_t>(&s - report_.sections_.data())];
        const int left = report_.geometry_.left;
        const FieldList& fields = report_.fields_;
        for (size_t i = 0; i < s.controls().size(); ++i) {
            const Control& c = s.controls()[i];
            if (!c.visible)
                continue;
            PageItem item;
            item.rect = QRect(left + c.left, top + c.top, c.width, c.height);
            item.style = c.style;
            switch (c.kind) {
            case ControlKind::Label: item.text = c.caption; break;
            case ControlKind::Field:
                if (binding[i] >= 0)
                    item.text = platform::fromCp1252(fields.value(binding[i]));
                item.fit = c.style.freeText ? PageItem::Fit::Words : PageItem::Fit::Whole;
                break;
            case ControlKind::PageNumber:
                item.number = PageItem::Number::PageNumber;
                item.fit = PageItem::Fit::Whole;
                break;
            case ControlKind::PageCount:
                item.number = PageItem::Number::PageCount;
                item.fit = PageItem::Fit::Whole;
                break;
            case ControlKind::Line: item.kind = PageItem::Kind::Line; break;
            case ControlKind::Box: item.kind = PageItem::Kind::Box; break;
            case ControlKind::Image:
                if (c.picture.isNull())
                    continue;
                item.kind = PageItem::Kind::Image;
                item.image = c.picture;
                break;
            case ControlKind::CheckBox:
                item.kind = PageItem::Kind::CheckBox;
                item.checked = binding[i] >= 0 ? isTicked(fields.value(binding[i])) : c.checked;
                break;
            }
            if (item.kind == PageItem::Kind::Text && item.text.isEmpty() && !c.style.fillColor.isValid()
                && item.number == PageItem::Number::None)
                continue;
            if (c.style.secondLine && addTwoLines(page, item))
                continue;
            page.add(std::move(item));
        }
    }

    /// A message too long for one readable line prints as two, the second one line pitch
    /// below the first (8.5 pt on the design's 90-twip grid), each whole however narrow.
    bool addTwoLines(Page& page, PageItem& item) const
    {
        constexpr int kLinePitch = 180;
        const std::vector<std::string> lines =
            report_.cache_ ? messageLines(report_.cache_->metrics(item.style.family, item.style.size), item)
                           : messageLines(faceMetrics(item.style.family, item.style.size), item);
        if (lines.size() < 2)
            return false;
        PageItem second = item;
        item.text = platform::fromCp1252(lines[0]);
        item.rect.setHeight(kLinePitch);
        second.text = platform::fromCp1252(lines[1]);
        second.rect.translate(0, kLinePitch);
        second.rect.setHeight(kLinePitch);
        page.add(std::move(item));
        page.add(std::move(second));
        return true;
    }

    Report& report_;
    PageSink& sink_;
    const Section* pageHeader_;
    const Section* pageFooter_;
    PageLayout layout_;
    std::vector<std::vector<int>> bindings_;
    Page page_;
    int pageIndex_ = -1;
};

Report::Report(PageGeometry geometry) : geometry_(geometry) {}

Report::~Report() = default;

void Report::addSection(Section section)
{
    sections_.push_back(std::move(section));
}

Section* Report::sectionOf(SectionKind kind)
{
    for (Section& s : sections_)
        if (s.kind() == kind)
            return &s;
    return nullptr;
}

Section& Report::section(int index)
{
    if (index < 0 || index >= sectionCount())
        throw platform::Error(platform::Error::SubscriptOutOfRange);
    return sections_[static_cast<size_t>(index)];
}

Section& Report::section(const QString& name)
{
    for (Section& s : sections_)
        if (s.name().compare(name, Qt::CaseInsensitive) == 0)
            return s;
    throw platform::Error(platform::Error::InvalidCall, QStringLiteral("Unknown section ") + name, QString());
}

Control& Report::control(const QString& name)
{
    for (Section& s : sections_)
        if (Control* c = s.find(name))
            return *c;
    throw platform::Error(platform::Error::InvalidCall, QStringLiteral("Unknown control ") + name, QString());
}

bool Report::isTicked(const std::string& value)
{
    const QString v = platform::fromCp1252(value).trimmed();
    if (v.isEmpty())
        return false;
    static const char* const unticked[] = {"0", "N", "NO", "F", "FALSE"};
    return std::none_of(std::begin(unticked), std::end(unticked), [&](const char* no) {
        return v.compare(QLatin1String(no), Qt::CaseInsensitive) == 0;
    });
}

void Report::Run()
{
    pages_.clear();
    Run(pages_);
}

void Report::Run(PageSink& sink)
{
    ActiveReport_ReportStart();
    ActiveReport_DataInitialize();

    Printer printer(*this, sink);
    const Section* groupHeader = sectionOf(SectionKind::GroupHeader);
    const Section* groupFooter = sectionOf(SectionKind::GroupFooter);
    const Section* detail = sectionOf(SectionKind::Detail);
    int groupField = -1;
    if (groupHeader) {
        groupField = fields_.indexOf(groupHeader->groupField());
        if (groupField < 0)
            throw platform::Error(platform::Error::InvalidCall,
                                  QStringLiteral("Unknown report field ") + groupHeader->groupField(), QString());
    }

    printer.start(sectionOf(SectionKind::ReportHeader));
    bool anyRow = false;
    std::string groupKey;
    std::vector<std::string> previousRow;
    for (;;) {
        if (groupField >= 0)
            previousRow = fields_.values();
        bool eof = true;
        ActiveReport_FetchData(eof);
        if (eof)
            break;
        if (groupField >= 0) {
            const std::string key = fields_.value(groupField);
            const bool newGroup = !anyRow || key != groupKey;
            if (anyRow && newGroup && groupFooter) {
                // The footer closes the group with its last row's values.
                std::vector<std::string> current = fields_.values();
                fields_.setValues(previousRow);
                printer.add(groupFooter);
                fields_.setValues(std::move(current));
            }
            if (newGroup)
                printer.add(groupHeader);
            groupKey = key;
        }
        anyRow = true;
        printer.add(detail);
    }
    if (anyRow && groupField >= 0 && groupFooter) {
        fields_.setValues(previousRow);
        printer.add(groupFooter);
    }
    printer.add(sectionOf(SectionKind::ReportFooter));
    printer.finish();
    ActiveReport_ReportEnd();
}

}  // namespace document
