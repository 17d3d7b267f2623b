#pragma once
#include "mailer/input/record_list.h"
#include "platform/error.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The records the readers fill and the reports fetch. Every field is the text of the input
// file, byte for byte; nothing is parsed or converted.
namespace input {

/// A column of an input line and the report field it fills (the line's type is column 0).
struct Column {
    const char* field;
    size_t column;
};

/// The statement's lines that only fill report fields, each a table the reader, the report's field
/// list and the design's bindings all take their names from. `*`: the sender and the messages.
inline constexpr Column kCompanyColumns[] = {{"FromAddr1", 1}, {"FromAddr2", 2}, {"FromAddr3", 3}, {"FromAddr4", 4},
                                             {"Msg1", 5},      {"Msg2", 6},      {"Msg3", 7}};
/// H: the addressee, the date, the account and the balance brought forward.
inline constexpr Column kHeaderColumns[] = {{"ToAddr1", 1}, {"ToAddr2", 2}, {"ToAddr3", 3}, {"ToAddr4", 4},
                                            {"Date", 5},    {"Account", 6}, {"BegBal", 7}};
/// F: the totals; the remittance stub repeats the balance due.
inline constexpr Column kTotalColumns[] = {{"TotOnAcct", 1}, {"TotFuture", 2}, {"TotCurrent", 3}, {"Past30", 4},
                                           {"Past60", 5},    {"Past90", 6},    {"Total", 7},      {"BalDue", 8},
                                           {"RemBalanceDue", 8}};
/// F's optional last column, the discount, shown on the statement and the stub.
inline constexpr Column kDiscountColumns[] = {{"Discount", 9}, {"RemitDiscount", 9}};

/// The last column a table reads: the fields a line of its type needs.
template <size_t N>
constexpr size_t lastColumn(const Column (&table)[N])
{
    size_t last = 0;
    for (const Column& c : table)
        last = c.column > last ? c.column : last;
    return last;
}

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

/// A field of a record: the report field it fills and the member that keeps it.
template <class Record>
struct RecordField {
    const char* field;
    std::string Record::*member;
};

/// A D line's fields in file order, from column 1; each fills the report field of its name.
inline constexpr RecordField<Detail> kDetailFields[] = {
    {"InvDate", &Detail::InvDate}, {"Invno", &Detail::Invno}, {"InvDesc", &Detail::InvDesc},
    {"InvAmount", &Detail::InvAmount}, {"FutDue", &Detail::FutDue}, {"CurDue", &Detail::CurDue},
    {"Due30", &Detail::Due30}, {"Due60", &Detail::Due60}, {"Due90", &Detail::Due90},
    {"DueAmount", &Detail::DueAmount}};

/// One line of an invoice.
struct iDetail {
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

/// A statement's lines, in file order, without keys. A statement may hold millions of lines, so
/// the lines are kept packed in blocks of 1 MiB (never copied as they grow), each field's bytes
/// followed by a NUL (no field holds one), and a record is made when it is asked for. Every full
/// block but the last is compressed (a one-page statement never fills one); the report reads the
/// lines in order, so each is unpacked once.
class Details {
public:
    void Add(const Detail& line)
    {
        size_t size = 0;
        for (const auto& f : kDetailFields)
            size += (line.*f.member).size() + 1;
        if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
            if (!blocks_.empty())
                pack(blocks_.back());
            blocks_.emplace_back();
            blocks_.back().reserve(std::max<size_t>(size, 1 << 20));
        }
        std::string& block = blocks_.back();
        starts_.push_back((static_cast<uint64_t>(blocks_.size() - 1) << 32) | block.size());
        for (const auto& f : kDetailFields) {
            block += line.*f.member;
            block += '\0';
        }
    }

    /// The record at a position from 1 to Count.
    Detail Item(int32_t vntIndexKey) const
    {
        if (vntIndexKey < 1 || vntIndexKey > Count())
            throw platform::Error(platform::Error::SubscriptOutOfRange);
        const uint64_t start = starts_[static_cast<size_t>(vntIndexKey - 1)];
        const char* p = block(start >> 32) + (start & 0xFFFFFFFFu);
        Detail line;
        for (const auto& f : kDetailFields) {
            std::string& value = line.*f.member;
            value.assign(p);
            p += value.size() + 1;
        }
        return line;
    }

    int32_t Count() const { return static_cast<int32_t>(starts_.size()); }

private:
    static void pack(std::string& block)
    {
        const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(block.data()), qsizetype(block.size()), 1);
        block.assign(packed.constData(), size_t(packed.size()));
        block.shrink_to_fit();
    }

    /// The bytes of a block, unpacked when it was packed.
    const char* block(uint64_t index) const
    {
        if (index + 1 == blocks_.size())
            return blocks_.back().data();
        if (index != unpackedIndex_) {
            const std::string& b = blocks_[index];
            unpacked_ = qUncompress(reinterpret_cast<const uchar*>(b.data()), qsizetype(b.size()));
            unpackedIndex_ = index;
        }
        return unpacked_.constData();
    }

    std::vector<std::string> blocks_;
    std::vector<uint64_t> starts_;  // block << 32 | offset
    mutable QByteArray unpacked_;
    mutable uint64_t unpackedIndex_ = UINT64_MAX;
};

/// An invoice's D line's fields in file order, from column 1.
inline constexpr RecordField<iDetail> kInvoiceLineFields[] = {
    {"InvDet.Invno", &iDetail::Invno}, {"InvDet.InvDate", &iDetail::InvDate}, {"InvDet.PO", &iDetail::PO},
    {"InvDet.Line", &iDetail::Line},   {"InvDet.Part", &iDetail::Part},       {"InvDet.Qty", &iDetail::Qty},
    {"InvDet.Cost", &iDetail::Cost},   {"InvDet.CostCR", &iDetail::CostCR},   {"InvDet.Ext", &iDetail::Ext},
    {"InvDet.ExtCR", &iDetail::ExtCR}, {"InvDet.Tax", &iDetail::Tax}};

/// An invoice's lines, in file order.
class idetails : public RecordList<iDetail> {
public:
    iDetail& Add(iDetail line) { return append(std::make_shared<iDetail>(std::move(line))); }
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

private:
    std::shared_ptr<class idetails> lines_;
};

/// An invoice's H line's fields in file order, from column 2.
inline constexpr RecordField<iHeader> kInvoiceHeaderFields[] = {
    {"InvHead.Ship1", &iHeader::Ship1},   {"InvHead.Ship2", &iHeader::Ship2}, {"InvHead.Ship3", &iHeader::Ship3},
    {"InvHead.Ship4", &iHeader::Ship4},   {"InvHead.SubTot", &iHeader::SubTot}, {"InvHead.SubCR", &iHeader::SubCR},
    {"InvHead.Misc", &iHeader::Misc},     {"InvHead.MiscCR", &iHeader::MiscCR}, {"InvHead.TaxTot", &iHeader::TaxTot},
    {"InvHead.TaxCR", &iHeader::TaxCR},   {"InvHead.Tot", &iHeader::Tot},     {"InvHead.TotCR", &iHeader::TotCR}};

/// The invoices of a detail file, in file order.
class iHeaders : public RecordList<iHeader> {
public:
    /// Appends an empty header.
    iHeader& Add() { return append(std::make_shared<iHeader>()); }
};

}  // namespace input
