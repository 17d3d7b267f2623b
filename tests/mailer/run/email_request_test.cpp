#include "mailer/run/email_request.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

using namespace run;

namespace {

input::StatementValues statement()
{
    input::StatementValues r;
    r.AcctNo = "12345";
    r.StmtRef = "0105";
    r.CompanyLine = "TORVIK HARDWARE";
    return r;
}

// A request with no optional line and a built subject: StatementMailerTest, end to end.
TEST(EmailRequest, HoldsItsLinesInOrder)
{
    input::StatementValues all = statement();
    all.MailTo = "ap@acme.example ";
    all.MailFrom = "ar@torvik.example";
    all.MailBcc = "file@torvik.example";
    all.MailSubject = "June statement";
    all.BodyFile = "body.txt";
    EXPECT_EQ(emailRequestLines(all, "12345.0105.PDF", {"terms.pdf", "price list.doc"}),
              (std::vector<std::string>{"[EMAIL]", "MAILTO=ap@acme.example ", "FROM=ar@torvik.example",
                                        "BCC=file@torvik.example", "SUBJECT=June statement", "BODYFILE=body.txt",
                                        "ATTACH=statements\\out\\12345.0105.PDF|statements\\out\\terms.pdf|"
                                        "statements\\out\\price list.doc"}));
}

TEST(EmailRequest, KeepsWindows1252BytesAsRead)
{
    input::StatementValues r = statement();
    r.CompanyLine = "CAF\xC9 \x80";
    r.MailTo = "m\xFCller@example.de";
    const std::vector<std::string> lines = emailRequestLines(r, QString::fromUtf8("Caf\xC3\xA9.0105.PDF"), {});
    EXPECT_EQ(lines[1], "MAILTO=m\xFCller@example.de");
    EXPECT_EQ(lines[2], "SUBJECT=CAF\xC9 \x80 STATEMENT 0105");
    EXPECT_EQ(lines[3], "ATTACH=statements\\out\\Caf\xE9.0105.PDF");
}

TEST(EmailRequest, GoesToTheInFolderUnderItsAccountWithTrailingBlanksKept)
{
    input::StatementValues r = statement();
    r.AcctNo = "12345 ";
    input::modBrevix store;
    store.ServerName = "host";
    store.StoreNumber = "7";
    EXPECT_EQ(requestDestination(store, r), "\\\\host\\parlow\\email7\\in\\STMT_12345 .TXT");
}

}  // namespace
