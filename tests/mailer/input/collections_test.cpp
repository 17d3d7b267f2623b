#include "mailer/input/records.h"

#include <gtest/gtest.h>

#include <functional>

using namespace input;

namespace {

int errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(Collections, PositionsRunFromOneAndCloseUpAfterARemove)
{
    Details details;
    for (int i = 1; i <= 10; ++i)
        details.Add(std::to_string(i), "", "", "", "", "", "", "", "", " ten ");
    EXPECT_EQ(details.Item(10).InvDate, "10");
    EXPECT_EQ(details.Item(10).DueAmount, " ten ");
    details.Remove(3);
    std::string order;
    for (auto e = details.NewEnum(); e.next();)
        order += e.current().InvDate + ",";
    EXPECT_EQ(order, "1,2,4,5,6,7,8,9,10,");
}

TEST(Collections, LinesOfManyPackedBlocksReadBackInAnyOrder)
{
    Details details;
    const int count = 50000;  // about 3 MiB: the full blocks are compressed
    for (int i = 1; i <= count; ++i)
        details.Add("06/01/26", std::to_string(i), "Bolts and washers", "10.00", "", "", "", "", "", std::to_string(-i));
    for (int i : {count, 1, count / 2, 2, count - 1})
        EXPECT_EQ(details.Item(i).Invno + details.Item(i).DueAmount, std::to_string(i) + std::to_string(-i));
    int seen = 0;
    for (auto e = details.NewEnum(); e.next();)
        seen += e.current().Invno == std::to_string(seen + 1);
    EXPECT_EQ(seen, count);
}

TEST(Collections, HeadersAreFoundByPositionAndKeyAndBadOnesReachTheCaller)
{
    iHeaders headers;
    iHeader& unkeyed = headers.Add();
    iHeader& keyed = headers.Add("3");
    EXPECT_EQ(&headers.Item(1), &unkeyed);
    EXPECT_EQ(&headers.Item("3"), &keyed);
    EXPECT_EQ(errorOf([&] { headers.Add("3"); }), platform::Error::KeyInUse);
    EXPECT_EQ(errorOf([&] { headers.Item(0); }), platform::Error::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { headers.Item(3); }), platform::Error::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { headers.Item(""); }), platform::Error::InvalidCall);
    EXPECT_EQ(errorOf([&] { headers.Remove("x"); }), platform::Error::InvalidCall);
    EXPECT_EQ(headers.Count(), 2);
    headers.Remove("3");
    EXPECT_EQ(headers.Count(), 1);
}

TEST(Collections, AHeadersLinesAreCreatedOnFirstReadAndReplaceable)
{
    iHeader header;
    idetails& first = header.idetails();
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(&header.idetails(), &first);
    auto other = std::make_shared<idetails>();
    const iDetail& d = other->Add("1", "inv", "date", "po", "line", "part", "qty", "cost", "costcr", "ext", "extcr", "tax");
    EXPECT_EQ(d.Key + d.Invno + d.InvDate + d.PO + d.Line + d.Part + d.Qty + d.Cost + d.CostCR + d.Ext + d.ExtCR + d.Tax,
              "1invdatepolinepartqtycostcostcrextextcrtax");
    header.set_idetails(other);
    EXPECT_EQ(header.idetails().Count(), 1);
}

}  // namespace
