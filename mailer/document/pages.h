#pragma once
#include "mailer/document/page.h"

#include <vector>

namespace document {

/// Takes a report's pages one by one as the layout finishes them, so that a report of any
/// length never has to be held whole.
class PageSink {
public:
    virtual ~PageSink() = default;
    /// A finished page with its page number; its page count texts stay empty until endRun.
    virtual void addPage(Page&& page) = 0;
    /// The run that gave the pages since the last endRun is over and had `pageCount` pages.
    virtual void endRun(int pageCount) = 0;
};

/// A report's pages, in print order, held whole.
class Pages : public PageSink {
public:
    int Count() const { return static_cast<int>(pages_.size()); }
    /// The page at an index from 0; raises platform::Error 9 outside 0 to Count - 1.
    const Page& Item(int index) const;
    /// Copies the page in before `index` (Count() appends); raises platform::Error 9 outside
    /// 0 to Count.
    void Insert(int index, const Page& page);
    /// Makes the inserted pages part of the list for what reads it next.
    void Commit();
    void clear()
    {
        pages_.clear();
        runStart_ = 0;
    }

    void addPage(Page&& page) override { pages_.push_back(std::move(page)); }
    void endRun(int pageCount) override;

private:
    std::vector<Page> pages_;
    size_t runStart_ = 0;
};

}  // namespace document
