#include "mailer/document/invoice_details.h"

#include "tests/mailer/document/document_fixture.h"

#include <gtest/gtest.h>

using namespace document;
using testing_support::DocumentFixture;

namespace {

/// The texts of a page's items, one a line, with their tops: "1290 5001".
std::string texts(const Page& page)
{
    std::string out;
    for (const PageItem& item : page.items())
        if (item.kind == PageItem::Kind::Text)
            out += std::to_string(item.rect.y()) + " " + item.text.toStdString() + "\n";
    return out;
}

std::string header(const std::string& ship1, const std::string& total)
{
    return "H\tx\t" + ship1 + "\t\t\t\t10.00\t\t0.00\t\t0.50\t\t" + total + "\t\r\n";
}

std::string line(const std::string& invno, const std::string& part, const std::string& tax = "")
{
    return "D\t" + invno + "\t06/01/26\tPO1\t1\t" + part + "\t1\t2.00\t\t2.00\t\t" + tax + "\r\n";
}

}  // namespace

TEST(InvoiceDetails, EachInvoiceListsItsLinesThenItsShipToAndTotalsAndThoseWithoutLinesArePassedOver)
{
    DocumentFixture fx;
    fx.writeDetails(header("Empty 1", "0") + header("Ship A", "11.11") + line("5001", "bolt", "Y") + line("5001", "nut") +
                    line("5001", "washer") + header("Empty 2", "0") + header("Empty 3", "0") + header("Ship B", "22.22") +
                    line("5002", "pipe", "no") + header("Empty 4", "0"));
    InvoiceDetails inv(fx.detPath, fx.fs);
    inv.Run();
    EXPECT_EQ(inv.invoiceCount(), 6);
    ASSERT_EQ(inv.pages().Count(), 1);
    // Title at 360, headings from 720, rows of 360 from 1200; footers of 1305.
    EXPECT_EQ(texts(inv.pages().Item(0)),
              "360 Invoice Details\n"
              "900 Invoice\n900 Date\n900 P/O\n900 Line\n900 Part / remark\n900 Qty\n900 Net Each\n"
              "900 Extended \n900 Tax\n"
              "1290 5001\n1290 06/01/26\n1290 PO1\n1290 1\n1290 bolt\n1290 1\n1290 2.00\n1290 2.00\n"
              "1650 1\n1650 nut\n1650 1\n1650 2.00\n1650 2.00\n"
              "2010 1\n2010 washer\n2010 1\n2010 2.00\n2010 2.00\n"
              "2370 ShipTo: \n2370 Ship A\n2370 Sub-Total:\n2370 10.00\n2640 Miscellaneous:\n2640 0.00\n"
              "2910 Sales Tax:\n2910 0.50\n3180 Invoice Total:\n3180 11.11\n"
              "3675 5002\n3675 06/01/26\n3675 PO1\n3675 1\n3675 pipe\n3675 1\n3675 2.00\n3675 2.00\n"
              "4035 ShipTo: \n4035 Ship B\n4035 Sub-Total:\n4035 10.00\n4305 Miscellaneous:\n4305 0.00\n"
              "4575 Sales Tax:\n4575 0.50\n4845 Invoice Total:\n4845 22.22\n"
              "15210 Page \n15210 1\n15210 of\n15210 1\n");
    std::vector<bool> ticks;
    for (const PageItem& item : inv.pages().Item(0).items())
        if (item.kind == PageItem::Kind::CheckBox)
            ticks.push_back(item.checked);
    EXPECT_EQ(ticks, (std::vector<bool>{true, false, false, false}));
}

TEST(InvoiceDetails, OneNumberSharesOneGroupClosedByTheLastAndNoInvoicesGiveNoGroup)
{
    const struct {
        std::string file;
        int headers;
        const char* shown;
        const char* hidden;
    } cases[] = {
        {header("Ship A", "1.00") + line("5001", "a") + header("Ship B", "2.00") + line("5001", "b"), 2,
         "2820 Invoice Total:\n2820 2.00\n", "Ship A"},
        {"X\tnothing\r\n", 0, "360 Invoice Details\n", "ShipTo"},
    };
    for (const auto& c : cases) {
        DocumentFixture fx;
        fx.writeDetails(c.file);
        InvoiceDetails inv(fx.detPath, fx.fs);
        inv.Run();
        EXPECT_EQ(inv.invoiceCount(), c.headers);
        ASSERT_EQ(inv.pages().Count(), 1);
        const std::string page = texts(inv.pages().Item(0));
        EXPECT_NE(page.find(c.shown), std::string::npos) << page;
        EXPECT_EQ(page.find(c.hidden), std::string::npos) << page;
        EXPECT_NE(page.find("15210 Page \n15210 1\n15210 of\n15210 1\n"), std::string::npos);
    }
}
