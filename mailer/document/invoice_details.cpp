#include "mailer/document/invoice_details.h"

#include "mailer/input/invoice_detail_reader.h"
#include "platform/line_reader.h"

namespace document {
namespace {

const char* const kFields[] = {
    "InvHead.Ship1",  "InvHead.Ship2",   "InvHead.Ship3", "InvHead.Ship4",  "InvHead.SubTot",
    "InvHead.SubCR",  "InvHead.Misc",    "InvHead.MiscCR", "InvHead.TaxTot", "InvHead.TaxCR",
    "InvHead.Tot",    "InvHead.TotCR",   "InvDet.Invno",  "InvDet.InvDate", "InvDet.PO",
    "InvDet.Line",    "InvDet.Part",     "InvDet.Qty",    "InvDet.Cost",    "InvDet.CostCR",
    "InvDet.Ext",     "InvDet.ExtCR",    "InvDet.Tax",
};

}  // namespace

InvoiceDetails::InvoiceDetails(input::modBrevix& run, platform::FileSystem& fs, DocumentCache* cache)
    : Report(invoiceDetailsGeometry()), run_(run), fs_(fs)
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
    platform::LineReader in(fs_.readFile(run_.DetPath));
    for (const char* name : kFields)
        Fields().add(QLatin1String(name));
    iHeaders_.reset();
    input::ReadInput(in, iHeaders_, run_);
    line_ = 1;
    header_ = 1;
}

void InvoiceDetails::ActiveReport_FetchData(bool& eof)
{
    eof = true;
    if (run_.HeaderCount == 0 || !iHeaders_)
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
    f.setField("InvHead.Ship1", h.Ship1);
    f.setField("InvHead.Ship2", h.Ship2);
    f.setField("InvHead.Ship3", h.Ship3);
    f.setField("InvHead.Ship4", h.Ship4);
    f.setField("InvHead.SubTot", h.SubTot);
    f.setField("InvHead.SubCR", h.SubCR);
    f.setField("InvHead.Misc", h.Misc);
    f.setField("InvHead.MiscCR", h.MiscCR);
    f.setField("InvHead.TaxTot", h.TaxTot);
    f.setField("InvHead.TaxCR", h.TaxCR);
    f.setField("InvHead.Tot", h.Tot);
    f.setField("InvHead.TotCR", h.TotCR);

    const bool first = line_ == 1;
    for (const char* name : {"txtInvoice", "txtDate", "txtPO"})
        control(QLatin1String(name)).visible = first;

    const input::iDetail& d = h.idetails().Item(static_cast<int32_t>(line_));
    f.setField("InvDet.Invno", d.Invno);
    f.setField("InvDet.InvDate", d.InvDate);
    f.setField("InvDet.PO", d.PO);
    f.setField("InvDet.Line", d.Line);
    f.setField("InvDet.Part", d.Part);
    f.setField("InvDet.Qty", d.Qty);
    f.setField("InvDet.Cost", d.Cost);
    f.setField("InvDet.CostCR", d.CostCR);
    f.setField("InvDet.Ext", d.Ext);
    f.setField("InvDet.ExtCR", d.ExtCR);
    f.setField("InvDet.Tax", d.Tax);
    ++line_;
    eof = false;
}

void InvoiceDetails::ActiveReport_ReportEnd() {}

}  // namespace document
