#pragma once
#include "platform/error.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace input {

/// An ordered collection, 1-based, whose records may carry a unique non-empty key.
/// Positions and keys that name no record raise platform::Error to the caller.
template <typename Record>
class KeyedCollection {
public:
    Record& append(std::shared_ptr<Record> record, const std::string& sKey = {})
    {
        if (!sKey.empty() && find(sKey) >= 0)
            throw platform::Error(platform::Error::KeyInUse);
        entries_.push_back({sKey, std::move(record)});
        return *entries_.back().record;
    }

    /// The record at a position from 1 to Count.
    Record& Item(int32_t vntIndexKey) const { return *entries_[index(vntIndexKey)].record; }
    /// The record stored under a key.
    Record& Item(const std::string& vntIndexKey) const { return *entries_[keyIndex(vntIndexKey)].record; }

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<Record> record;
    };

    size_t index(int32_t position) const
    {
        if (position < 1 || position > Count())
            throw platform::Error(platform::Error::SubscriptOutOfRange);
        return static_cast<size_t>(position - 1);
    }
    size_t keyIndex(const std::string& key) const
    {
        const long found = find(key);
        if (found < 0)
            throw platform::Error(platform::Error::InvalidCall);
        return static_cast<size_t>(found);
    }
    long find(const std::string& key) const
    {
        if (key.empty())
            return -1;
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].key == key)
                return static_cast<long>(i);
        return -1;
    }

    std::vector<Entry> entries_;
};

}  // namespace input
