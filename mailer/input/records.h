#pragma once
#include "mailer/input/keyed_collection.h"
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

/// A statement's lines, in file order, without keys. A statement may hold millions of lines, so
/// the lines are kept packed in blocks of 1 MiB (never copied as they grow), each field's bytes
/// followed by a NUL (no field holds one), and a record is made when it is asked for. Every full
/// block but the last is compressed (a one-page statement never fills one); the report reads the
/// lines in order, so each is unpacked once.
class Details {
public:
    Detail& Add(std::string InvDate, std::string Invno, std::string InvDesc, std::string InvAmount,
                std::string FutDue, std::string CurDue, std::string Due30, std::string Due60,
                std::string Due90, std::string DueAmount)
    {
        const std::string* fields[] = {&InvDate, &Invno, &InvDesc, &InvAmount, &FutDue,
                                       &CurDue,  &Due30, &Due60,   &Due90,     &DueAmount};
        size_t size = 0;
        for (const std::string* f : fields)
            size += f->size() + 1;
        if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
            if (!blocks_.empty())
                pack(blocks_.back());
            blocks_.emplace_back();
            blocks_.back().reserve(std::max<size_t>(size, 1 << 20));
        }
        std::string& block = blocks_.back();
        starts_.push_back((static_cast<uint64_t>(blocks_.size() - 1) << 32) | block.size());
        for (const std::string* f : fields) {
            block += *f;
            block += '\0';
        }
        return Item(Count());
    }

    /// The record at a position from 1 to Count; it stays as it is until the next call.
    Detail& Item(int32_t vntIndexKey) const
    {
        if (vntIndexKey < 1 || vntIndexKey > Count())
            throw platform::Error(platform::Error::SubscriptOutOfRange);
        const uint64_t start = starts_[static_cast<size_t>(vntIndexKey - 1)];
        const char* p = block(start >> 32) + (start & 0xFFFFFFFFu);
        for (std::string* f : {&current_.InvDate, &current_.Invno, &current_.InvDesc, &current_.InvAmount,
                               &current_.FutDue, &current_.CurDue, &current_.Due30, &current_.Due60,
                               &current_.Due90, &current_.DueAmount}) {
            f->assign(p);
            p += f->size() + 1;
        }
        return current_;
    }

    int32_t Count() const { return static_cast<int32_t>(starts_.size()); }

    void Remove(int32_t vntIndexKey)
    {
        if (vntIndexKey < 1 || vntIndexKey > Count())
            throw platform::Error(platform::Error::SubscriptOutOfRange);
        starts_.erase(starts_.begin() + (vntIndexKey - 1));
    }

    /// Enumerates the records in position order.
    class Enumerator {
    public:
        bool next()
        {
            if (pos_ >= owner_->Count())
                return false;
            current_ = &owner_->Item(++pos_);
            return true;
        }
        Detail& current() const { return *current_; }

    private:
        friend class Details;
        explicit Enumerator(const Details* owner) : owner_(owner) {}
        const Details* owner_;
        int32_t pos_ = 0;
        Detail* current_ = nullptr;
    };
    Enumerator NewEnum() const { return Enumerator(this); }

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
    mutable Detail current_;
    mutable QByteArray unpacked_;
    mutable uint64_t unpackedIndex_ = UINT64_MAX;
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
