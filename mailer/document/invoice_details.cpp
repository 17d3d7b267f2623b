#include "mailer/document/invoice_details.h"

#include "mailer/input/invoice_detail_reader.h"
#include "platform/line_reader.h"

namespace document {
namespace {

/// The report's fields: those of the invoice's H and D lines, by the tables the reader reads.
void addFields(FieldList& list)
{
    for (const auto& f : input::kInvoiceHeaderFields)
        list.add(QLatin1String(f.field));
    for (const auto& f : input::kInvoiceLineFields)
        list.add(QLatin1String(f.field));
}

}  // namespace

InvoiceDetails::InvoiceDetails(QString detailFile, platform::FileSystem& fs, DocumentCache* cache)
    : Report(invoiceDetailsGeometry()), detailFile_(std::move(detailFile)), fs_(fs)
{
    if (cache) {
        for (const Section& s : cache->design(&invoiceDetailsDesign))
            addSection(s);
        return;
    }
    for (Section& s : invoiceDetailsDesign())
        addSection(std::move(s));
}

void InvoiceDetails::ActiveReport_DataInitialize()
{
    platform::LineReader in(fs_.readFile(detailFile_));
    addFields(Fields());
    iHeaders_.reset();
    invoiceCount_ = input::ReadInput(in, iHeaders_);
    line_ = 1;
    header_ = 1;
}

void InvoiceDetails::ActiveReport_FetchData(bool& eof)
{
    eof = true;
    if (invoiceCount_ == 0 || !iHeaders_)
        return;
    // An invoice without lines is passed over, wherever it stands.
    while (header_ <= iHeaders_->Count()
           && line_ > iHeaders_->Item(static_cast<int32_t>(header_)).idetails().Count()) {
        ++header_;
        line_ = 1;
    }
    if (header_ > iHeaders_->Count())
        return;

    input::iHeader& h = iHeaders_->Item(static_cast<int32_t>(header_));
    FieldList& f = Fields();
    for (const auto& field : input::kInvoiceHeaderFields)
        f.setField(field.field, h.*field.member);

    const bool first = line_ == 1;
    for (const char* name : {"txtInvoice", "txtDate", "txtPO"})
        control(QLatin1String(name)).visible = first;

    const input::iDetail& d = h.idetails().Item(static_cast<int32_t>(line_));
    for (const auto& field : input::kInvoiceLineFields)
        f.setField(field.field, d.*field.member);
    ++line_;
    eof = false;
}

void InvoiceDetails::ActiveReport_ReportEnd() {}

}  // namespace document
