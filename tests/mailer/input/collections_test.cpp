#include "mailer/input/records.h"
#include "tests/support/error_of.h"

#include <gtest/gtest.h>

using namespace input;
using testing_support::errorNumberOf;

namespace {

Detail line(const std::string& invno, const std::string& dueAmount)
{
    Detail d;
    d.Invno = invno;
    d.DueAmount = dueAmount;
    return d;
}

TEST(Collections, LinesRunFromOneAndReadBackAcrossPackedBlocks)
{
    Details details;
    const int count = 50000;  // about 3 MiB: the full blocks are compressed
    for (int i = 1; i <= count; ++i)
        details.Add(line(std::to_string(i), i == 10 ? " ten " : std::to_string(-i)));
    EXPECT_EQ(details.Item(10).DueAmount, " ten ");
    const Detail held = details.Item(1);
    for (int i : {count, count / 2, 2, count - 1})
        EXPECT_EQ(details.Item(i).Invno + details.Item(i).DueAmount, std::to_string(i) + std::to_string(-i));
    EXPECT_EQ(held.Invno, "1");  // a record taken stays as it was
    EXPECT_EQ(details.Count(), count);
    EXPECT_EQ(errorNumberOf([&] { details.Item(count + 1); }), platform::Error::SubscriptOutOfRange);
}

// Headers are read and found by position only (InvoiceDetailReader).
TEST(Collections, HeadersOutsideOneToCountReachTheCaller)
{
    iHeaders headers;
    iHeader& first = headers.Add();
    headers.Add();
    EXPECT_EQ(&headers.Item(1), &first);
    for (int32_t outside : {0, 3})
        EXPECT_EQ(errorNumberOf([&] { headers.Item(outside); }), platform::Error::SubscriptOutOfRange) << outside;
}

}  // namespace
