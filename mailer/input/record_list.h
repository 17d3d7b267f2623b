#pragma once
#include "platform/error.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace input {

/// An ordered list of records, found by position from 1; a position that names no record
/// raises platform::Error to the caller.
template <typename Record>
class RecordList {
public:
    Record& append(std::shared_ptr<Record> record)
    {
        records_.push_back(std::move(record));
        return *records_.back();
    }

    /// The record at a position from 1 to Count.
    Record& Item(int32_t position) const
    {
        if (position < 1 || position > Count())
            throw platform::Error(platform::Error::SubscriptOutOfRange);
        return *records_[static_cast<size_t>(position - 1)];
    }

    int32_t Count() const { return static_cast<int32_t>(records_.size()); }

private:
    std::vector<std::shared_ptr<Record>> records_;
};

}  // namespace input
