#pragma once
#include "mailer/input/keyed_collection.h"

#include <memory>
#include <string>

// The records the readers fill and the reports fetch. Every field is the text of the input
// file, byte for byte; nothing is parsed or converted.
namespace input {

/// One line of a statement's open-item list.
struct Detail {
    std::string InvDate;
    std::string Invno;
    std::string InvDesc;
    std::string InvAmount;
    std::string FutDue;
    std::string CurDue;
    std::string Due30;
    std::string Due60;
    std::string Due90;
    std::string DueAmount;
};

/// One line of an invoice.
struct iDetail {
    std::string Key;
    std::string Invno;
    std::string InvDate;
    std::string PO;
    std::string Line;
    std::string Part;
    std::string Qty;
    std::string Cost;
    std::string CostCR;
    std::string Ext;
    std::string ExtCR;
    std::string Tax;
};

/// A statement's lines, in file order, without keys.
class Details : public KeyedCollection<Detail> {
public:
    Detail& Add(std::string InvDate, std::string Invno, std::string InvDesc, std::string InvAmount,
                std::string FutDue, std::string CurDue, std::string Due30, std::string Due60,
                std::string Due90, std::string DueAmount)
    {
        return append(std::make_shared<Detail>(Detail{
            std::move(InvDate), std::move(Invno), std::move(InvDesc), std::move(InvAmount),
            std::move(FutDue), std::move(CurDue), std::move(Due30), std::move(Due60),
            std::move(Due90), std::move(DueAmount)}));
    }
};

/// An invoice's lines, in file order, without keys.
class idetails : public KeyedCollection<iDetail> {
public:
    iDetail& Add(std::string Key, std::string Invno, std::string InvDate, std::string PO,
                 std::string Line, std::string Part, std::string Qty, std::string Cost,
                 std::string CostCR, std::string Ext, std::string ExtCR, std::string Tax)
    {
        return append(std::make_shared<iDetail>(iDetail{
            std::move(Key), std::move(Invno), std::move(InvDate), std::move(PO), std::move(Line),
            std::move(Part), std::move(Qty), std::move(Cost), std::move(CostCR), std::move(Ext),
            std::move(ExtCR), std::move(Tax)}));
    }
};

/// One invoice: ship-to address, totals with their credit markers, and its lines.
class iHeader {
public:
    std::string Ship1;
    std::string Ship2;
    std::string Ship3;
    std::string Ship4;
    std::string SubTot;
    std::string SubCR;
    std::string Misc;
    std::string MiscCR;
    std::string TaxTot;
    std::string TaxCR;
    std::string Tot;
    std::string TotCR;

    /// The invoice's lines; the first read creates the empty collection.
    class idetails& idetails()
    {
        if (!lines_)
            lines_ = std::make_shared<class idetails>();
        return *lines_;
    }
    void set_idetails(std::shared_ptr<class idetails> vData) { lines_ = std::move(vData); }
    bool has_idetails() const { return lines_ != nullptr; }

private:
    std::shared_ptr<class idetails> lines_;
};

/// The invoices of a detail file, keyed "1", "2", ... by the reader.
class iHeaders : public KeyedCollection<iHeader> {
public:
    /// Appends an empty header, under `sKey` when it is not empty.
    iHeader& Add(const std::string& sKey = {}) { return append(std::make_shared<iHeader>(), sKey); }
};

}  // namespace input
