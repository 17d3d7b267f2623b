#pragma once
#include "mailer/document/field_list.h"
#include "mailer/document/page_layout.h"
#include "mailer/document/pages.h"
#include "mailer/document/section.h"

#include <QString>
#include <string>
#include <vector>

namespace document {

class DocumentCache;

/// A banded report: a design of sections, a field list, the four events and the layout of
/// one run onto pages. Subclasses add their sections and handle the events; whatever a
/// handler raises ends the run and reaches the caller of Run.
class Report {
public:
    explicit Report(PageGeometry geometry = PageGeometry());
    virtual ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    /// Fires report start, data initialisation, one fetch per row until EOF and report end,
    /// and lays the sections out onto pages, numbered within this run, held in pages().
    void Run();
    /// The same, handing each page to `sink` as soon as it is laid out; pages() stays empty.
    void Run(PageSink& sink);

    Pages& pages() { return pages_; }
    const Pages& pages() const { return pages_; }
    FieldList& Fields() { return fields_; }
    const FieldList& Fields() const { return fields_; }
    const PageGeometry& geometry() const { return geometry_; }

    int sectionCount() const { return static_cast<int>(sections_.size()); }
    /// The section at an index from 0, in print order; raises platform::Error 9 outside.
    Section& section(int index);
    /// The section of that design name; raises platform::Error 5 for an unknown name.
    Section& section(const QString& name);
    /// The control of that design name in any section; raises platform::Error 5 when none.
    Control& control(const QString& name);

    /// True when a check box bound to a field with this value shows a tick: the value, trimmed,
    /// is not empty and none of 0, N, NO, F, FALSE in any letter case.
    static bool isTicked(const std::string& value);

protected:
    void addSection(Section section);
    /// Measures text with the faces `cache` keeps for the run, rather than anew for each text.
    void measureWith(DocumentCache& cache) { cache_ = &cache; }

    virtual void ActiveReport_ReportStart() {}
    virtual void ActiveReport_DataInitialize() {}
    /// Supplies the next row into the fields, or sets eof.
    virtual void ActiveReport_FetchData(bool& eof) = 0;
    virtual void ActiveReport_ReportEnd() {}

private:
    class Printer;
    friend class Printer;
    Section* sectionOf(SectionKind kind);

    PageGeometry geometry_;
    std::vector<Section> sections_;
    FieldList fields_;
    Pages pages_;
    DocumentCache* cache_ = nullptr;
};

}  // namespace document
