#include "mailer/document/pages.h"

#include "platform/error.h"

namespace document {

const Page& Pages::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw platform::Error(platform::Error::SubscriptOutOfRange);
    return pages_[static_cast<size_t>(index)];
}

void Pages::Insert(int index, const Page& page)
{
    if (index < 0 || index > Count())
        throw platform::Error(platform::Error::SubscriptOutOfRange);
    pages_.insert(pages_.begin() + index, page);
}

void Pages::Commit()
{
    // Pages are held as whole copies from the moment they are inserted; nothing is pending.
}

void Pages::endRun(int pageCount)
{
    for (size_t i = runStart_; i < pages_.size(); ++i)
        pages_[i].setCount(pageCount);
    runStart_ = pages_.size();
}

}  // namespace document
