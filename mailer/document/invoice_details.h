#pragma once
#include "mailer/document/document_cache.h"
#include "mailer/document/report.h"
#include "mailer/input/records.h"
#include "platform/file_system.h"

#include <memory>

namespace document {

/// The invoices of a statement's invoice-detail file, line by line, each closed by its
/// ship-to address and totals. Reads its detail file through the file system.
class InvoiceDetails : public Report {
public:
    /// `cache`: what the run's documents share; without one the design is built for this report.
    InvoiceDetails(QString detailFile, platform::FileSystem& fs, DocumentCache* cache = nullptr);

    /// The invoices as read; null when the file held none.
    const input::iHeaders* headers() const { return iHeaders_.get(); }
    /// The invoices the file named, once run.
    int invoiceCount() const { return invoiceCount_; }

protected:
    void ActiveReport_DataInitialize() override;
    void ActiveReport_FetchData(bool& eof) override;
    void ActiveReport_ReportEnd() override;

private:
    QString detailFile_;
    platform::FileSystem& fs_;
    int invoiceCount_ = 0;
    std::unique_ptr<input::iHeaders> iHeaders_;
    int64_t header_ = 1;
    int64_t line_ = 1;
};

/// Letter, margins 360 on all four sides.
PageGeometry invoiceDetailsGeometry();

/// The invoice-details sections in print order, each control as designed.
std::vector<Section> invoiceDetailsDesign();

}  // namespace document
