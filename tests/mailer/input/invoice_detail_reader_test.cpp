#include "mailer/input/invoice_detail_reader.h"

#include <gtest/gtest.h>

using namespace input;

namespace {

struct Read {
    explicit Read(const std::string& text)
    {
        platform::LineReader in(text);
        count = ReadInput(in, headers);
    }
    int32_t lines(int32_t header) const { return headers->Item(header).idetails().Count(); }

    std::unique_ptr<iHeaders> headers;
    int count = 99;
};

const std::string kH = "H\tignored\tShip 1\tShip 2\tShip 3\tShip 4\t100.00\tCR\t5.00\t \t7.00\t\t112.00\tCR";
std::string D(const std::string& invno) { return "D\t" + invno + "\t06/01/26\tPO-7\t1\tHinge\t2\t5.00\t\t10.00\t\tY"; }

TEST(InvoiceDetailReader, GroupsLinesUnderTheirInvoice)
{
    const Read r(kH + "\r\n" + D("1001") + "\r\n" + D("1001") + "\r\n" + kH + "\r\n" + D("1002"));
    EXPECT_EQ(r.count, 2);
    ASSERT_EQ(r.headers->Count(), 2);
    ASSERT_EQ(r.lines(1), 2);
    ASSERT_EQ(r.lines(2), 1);
    EXPECT_EQ(r.headers->Item(2).idetails().Item(1).Invno, "1002");

    // No sixteen-bit limit on the lines of an invoice.
    std::string many = kH + "\n";
    for (int i = 0; i < 40000; ++i)
        many += D("1") + "\n";
    EXPECT_EQ(Read(many).lines(1), 40000);
}

TEST(InvoiceDetailReader, FillsEveryFieldAsRead)
{
    const Read r(kH + "\n" + "D\t 1001 \t06/01/26\tPO-7\t3\tPart / remark\t-2\t5.00\tCR\t10.00-\tCR\tN");
    const iHeader& h = r.headers->Item(1);
    EXPECT_EQ(h.Ship1 + "|" + h.Ship2 + "|" + h.Ship3 + "|" + h.Ship4 + "|" + h.SubTot + "|" + h.SubCR
                  + "|" + h.Misc + "|" + h.MiscCR + "|" + h.TaxTot + "|" + h.TaxCR + "|" + h.Tot + "|"
                  + h.TotCR,
              "Ship 1|Ship 2|Ship 3|Ship 4|100.00|CR|5.00| |7.00||112.00|CR");
    const iDetail& d = r.headers->Item(1).idetails().Item(1);
    EXPECT_EQ(d.Invno + "|" + d.InvDate + "|" + d.PO + "|" + d.Line + "|" + d.Part + "|"
                  + d.Qty + "|" + d.Cost + "|" + d.CostCR + "|" + d.Ext + "|" + d.ExtCR + "|" + d.Tax,
              " 1001 |06/01/26|PO-7|3|Part / remark|-2|5.00|CR|10.00-|CR|N");
}

TEST(InvoiceDetailReader, SkipsRecordsItCannotPlace)
{
    struct Case {
        const char* name;
        std::string text;
        int32_t headers;
        int32_t linesOfFirst;
    } cases[] = {
        {"D before the first H", D("1") + "\n" + kH + "\n" + D("2"), 1, 1},
        {"short H", "H\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\n" + kH, 1, 0},
        {"short D", kH + "\nD\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\n" + D("1"), 1, 1},
        {"empty lines", "\r\n" + kH + "\r\n\r\n" + D("1") + "\r\n\r\n", 1, 1},
        {"H then H", kH + "\n" + kH, 2, 0},
        {"other types", "h\t1\nX\n   \n\t" + kH, 0, 0},
    };
    for (const Case& c : cases) {
        const Read r(c.text);
        EXPECT_EQ(r.count, c.headers) << c.name;
        if (c.headers == 0) {
            EXPECT_EQ(r.headers, nullptr) << c.name;
            continue;
        }
        ASSERT_EQ(r.headers->Count(), c.headers) << c.name;
        EXPECT_EQ(r.lines(1), c.linesOfFirst) << c.name;
    }
    EXPECT_EQ(Read("").count, 0);
}

}  // namespace
