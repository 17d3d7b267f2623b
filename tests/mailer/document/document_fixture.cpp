#include "tests/mailer/document/document_fixture.h"

#include "mailer/document/invoice_details.h"
#include "mailer/document/statement.h"
#include "mailer/input/statement_reader.h"
#include "platform/line_reader.h"

#include <QString>

namespace testing_support {

const input::StatementFile& DocumentFixture::read()
{
    platform::LineReader in(fs.readFile(stmtPath));
    file = input::readStatement(in);
    return file;
}

document::Pages DocumentFixture::combined(bool withInvoices)
{
    document::Pages all;
    auto append = [&](document::Report&& report) {
        report.Run();
        for (int i = 0; i < report.pages().Count(); ++i)
            all.Insert(all.Count(), report.pages().Item(i));
        all.Commit();
    };
    append(document::Statement(run, read(), fs));
    if (withInvoices)
        append(document::InvoiceDetails(detPath, fs));
    return all;
}

std::string statementText(int lines, bool discount)
{
    std::string s = "*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR 97477\t541-555-0100\t"
                    "Thank you for your business\tPlease pay by the 10th\tCall us with questions\r\n"
                    "H\tAcme Corp\t1 Main St\tSuite 2\tEugene OR 97401\t06/30/26\t  1234567\t150.00\r\n"
                    "E\tap@acme.example\t0105\tar@torvik.example\t\tStatement\tbody.txt\r\n";
    for (int i = 1; i <= lines; ++i) {
        const std::string n = std::to_string(1000 + i);
        s += "D\t06/" + std::to_string(1 + i % 28) + "/26\t" + n + "\tInvoice " + n + "\t" + std::to_string(i) +
             ".00\t0.00\t" + std::to_string(i) + ".00\t0.00\t0.00\t0.00\t" + std::to_string(i) + ".00\r\n";
    }
    s += "F\t1.11\t2.22\t3.33\t4.44\t5.55\t6.66\t77.77\t88.88";
    if (discount)
        s += "\tTake 2% if paid by 07/10/26";
    return s + "\r\n";
}

std::string invoiceText(int invoices, int linesEach)
{
    std::string s;
    for (int i = 1; i <= invoices; ++i) {
        const std::string inv = std::to_string(5000 + i);
        s += "H\tx\tShip " + inv + "\t2 Dock Rd\tYard " + inv + "\tEugene OR\t" + std::to_string(i) + "0.00\t\t1.0" +
             std::to_string(i % 10) + "\t\t0.5" + std::to_string(i % 10) + "\t\t" + std::to_string(i) + "1.50\tCR\r\n";
        for (int l = 1; l <= linesEach; ++l)
            s += "D\t" + inv + "\t06/0" + std::to_string(1 + i % 9) + "/26\tPO-" + inv + "\t" + std::to_string(l) +
                 "\tPart " + std::to_string(l) + " of invoice " + inv + "\t" + std::to_string(l) + "\t2.50\t\t" +
                 std::to_string(l * 2) + ".50\t\t" + (l % 2 ? "Y" : "N") + "\r\n";
    }
    return s;
}

}  // namespace testing_support
