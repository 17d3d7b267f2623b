#pragma once
#include "mailer/document/page.h"

#include <vector>

namespace document {

/// A report's pages, in print order.
class Pages {
public:
    int Count() const { return static_cast<int>(pages_.size()); }
    /// The page at an index from 0; raises platform::Error 9 outside 0 to Count - 1.
    const Page& Item(int index) const;
    /// Copies the page in before `index` (Count() appends); raises platform::Error 9 outside
    /// 0 to Count.
    void Insert(int index, const Page& page);
    /// Makes the inserted pages part of the list for what reads it next.
    void Commit();
    void clear() { pages_.clear(); }
    void append(Page page) { pages_.push_back(std::move(page)); }

private:
    std::vector<Page> pages_;
};

}  // namespace document
