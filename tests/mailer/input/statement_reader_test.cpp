#include "mailer/input/statement_reader.h"

#include <gtest/gtest.h>

#include <map>

using namespace input;

namespace {

struct RecordedFields : ReportFields {
    void setField(std::string_view name, const std::string& value) override
    {
        values[std::string(name)] = value;
    }
    std::string at(const std::string& name) const
    {
        auto it = values.find(name);
        return it == values.end() ? "<unset>" : it->second;
    }
    std::map<std::string, std::string> values;
};

/// Reads a statement given as lines joined with CR LF.
struct Read {
    explicit Read(const std::string& text)
    {
        platform::LineReader in(text);
        try {
            ReadInput(in, fields, details, run);
        } catch (const BadRecord& e) {
            error = e.message().toStdString();
            where = QStringLiteral("line %1: %2").arg(e.line()).arg(e.problem()).toStdString();
        }
    }
    int lines() const { return details ? details->Count() : 0; }

    RecordedFields fields;
    std::unique_ptr<Details> details;
    StatementValues run;
    std::string error;
    std::string where;  ///< the line that could not be read, and why
};

const std::string kStar = "*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield\tOR 97477\tMsg one\tMsg two\tMsg three";
const std::string kH = "H\tAcme Corp\t1 Main St\tSuite 2\tEugene OR\t06/30/26\t  1234567 \t150.00";
const std::string kE = "E\tap@acme.example \t0105\tar@torvik.example  \tbcc@torvik.example \tYour statement  \tbody.txt ";
const std::string kD = "D\t06/01/26\t1001\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00";
const std::string kF = "F\t1.00\t2.00\t3.00\t4.00\t5.00\t6.00\t21.00\t20.00";

// The report fields and the lines show in the statement's golden page (StatementTest).
TEST(StatementReader, FillsTheMailValuesFromAWholeStatement)
{
    const Read r(kStar + "\r\n" + kH + "\r\n" + kE + "\r\n" + kD + "\r\n" + kD + "\r\n" + kF + "\r\n");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.lines(), 2);
    const StatementValues& m = r.run;
    EXPECT_EQ(m.AcctNo + "|" + m.CompanyLine + "|" + m.MailTo + "|" + m.StmtRef + "|" + m.MailFrom + "|" + m.MailBcc
                  + "|" + m.MailSubject + "|" + m.BodyFile,
              "1234567 |TORVIK HARDWARE|ap@acme.example |0105|ar@torvik.example|bcc@torvik.example|Your statement|body.txt");
}

// A record that cannot be read stops the reading, names the account read so far, keeps nothing
// of the statement's mail values and says which line and why (the whole message: HostileInput).
TEST(StatementReader, ShortOrUnsafeRecordsStopTheReadingAndSayWhichLineAndWhy)
{
    const std::string at = "An Error has occured on Account ";
    const std::string unsafe = " holds \\, /, :, | or a control character, or is . or ..";
    struct Case {
        const char* name;
        std::string text;
        std::string error;
        int lines;
        std::string where;  // empty: not checked
    } cases[] = {
        {"* with 7 fields", kH + "\n*\t1\t2\t3\t4\t5\t6", at + "1234567 ", 0, ""},
        {"* with 8 fields", "*\t1\t2\t3\t4\t5\t6\t7", "", 0, ""},
        {"H with 7 fields", "H\t1\t2\t3\t4\t5\t6", at, 0, ""},
        {"D with 10 fields", kH + "\n" + kD + "\nD\t1\t2\t3\t4\t5\t6\t7\t8\t9", at + "1234567 ", 1, ""},
        {"D with 11 fields", "D\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10", "", 1, ""},
        {"F with 8 fields", "F\t1\t2\t3\t4\t5\t6\t7", at, 0, ""},
        {"F with 9 fields", "F\t1\t2\t3\t4\t5\t6\t7\t8", "", 0, ""},
        {"E with 6 fields", kH + "\nE\t1\t2\t3\t4\t5", at + "1234567 ", 0, ""},
        {"E with 7 fields", "E\t1\t2\t3\t4\t5\t6", "", 0, ""},
        {"short record before H names no one", "D\t1", at, 0, "line 1: a D record of 1 field, where 10 are needed"},
        {"a short F after a blank line", kH + "\n\nF\t1\t2", at + "1234567 ", 0,
         "line 3: an F record of 2 fields, where 8 are needed"},
        {"a short *", "*\t1", at, 0, "line 1: a * record of 1 field, where 7 are needed"},
        {"a short record stores nothing of itself", "*\tCompany\t2\t3\t4\t5\t6\nD\t1", at, 0, ""},
        {"nothing read after the short record", "D\t1\n" + kD, at, 0, ""},
        {"H whose account holds a control", "H\t1\t2\t3\t4\t5\ta\x01" "b\t7", at + "a\x01" "b", 0, ""},
        {"H whose account holds a slash", "H\t1\t2\t3\t4\t5\ta/b\t7", at + "a/b", 0,
         "line 1: an H record whose account (field 6)" + unsafe},
        {"E whose reference holds a colon", kH + "\nE\tx\tC:\t\t\t\t", at + "1234567 ", 0,
         "line 2: an E record whose statement reference (field 2)" + unsafe},
        {"a line holding a NUL byte", kH + "\n" + kD + "\nD\t1\t2\t3\t4\t5\t6\t7\t8\t9\t1" + std::string(1, '\0'),
         at + "1234567 ", 1, "line 3: no statement text: it holds a NUL byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r(c.text);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.lines(), c.lines);
        EXPECT_TRUE(c.error.empty() || r.run.CompanyLine.empty());
        EXPECT_TRUE(c.where.empty() || r.where == c.where) << r.where;
    }
}

TEST(StatementReader, OptionalFieldsNeedTheirExactFieldCount)
{
    const std::string star = "*\t1\t2\t3\t4\t5\t6\t7";
    const std::string f = "F\t1\t2\t3\t4\t5\t6\t7\t8";
    struct Case {
        std::string text;
        bool noEmail;
        std::string discount;
    } cases[] = {
        {star + "\tA", true, "<unset>"},
        {star + "\ta", false, "<unset>"},
        {star + "\tA\t", false, "<unset>"},
        {star, false, "<unset>"},
        {star + "\tA\n" + star, false, "<unset>"},  // every * record clears the marker first
        {f + "\t9", false, "9"},
        {f + "\t9\t10", false, "<unset>"},
    };
    for (const Case& c : cases) {
        const Read r(c.text);
        EXPECT_EQ(r.run.NoEmail, c.noEmail) << c.text;
        EXPECT_EQ(r.fields.at("Discount"), c.discount) << c.text;
        EXPECT_EQ(r.fields.at("RemitDiscount"), c.discount) << c.text;
    }
}

TEST(StatementReader, RecordTypesCompareExactly)
{
    for (const char* line : {"h\t1\t2\t3\t4\t5\t6\t7", "H \t1\t2\t3\t4\t5\t6\t7", "   ",
                             "\tH\t1\t2\t3\t4\t5\t6\t7", "X\tanything", "", "**\t1"}) {
        const Read r(std::string(line) + "\r\n" + kD);
        EXPECT_EQ(r.error, "") << line;
        EXPECT_EQ(r.fields.values.size(), 0u) << line;
        EXPECT_EQ(r.lines(), 1) << line;
    }
}

// A statement is whole only with its totals; a file that ends without a line end is whole at once.
TEST(StatementReader, OnlyAnFRecordMakesAStatementWhole)
{
    const std::string head = kStar + "\r\n" + kH + "\r\n" + kE + "\r\n";
    for (const auto& [text, whole] : {std::pair{head + kD + "\r\n" + kF + "\r\n", true}, {head + kD + "\r\n" + kF, true},
                                      {head + kF + "\r\n" + kD + "\r\n", true}, {head + kD + "\r\n", false},
                                      {head + kD + "\r\nf" + kF.substr(1) + "\r\n", false}})
        EXPECT_EQ(Read(text).run.TotalsRead, whole) << text;
}

TEST(StatementReader, KeepsBlanksAndBytesExactlyAsRead)
{
    const std::string cp1252 = "Caf\xE9 \x80 5 \x81";
    const Read r("H\t " + cp1252 + " \t2\t3\t4\t5\t6\t7\nD\t\t\t\t-1,234.00-\t\t\t\t\t\t ");
    EXPECT_EQ(r.fields.at("ToAddr1"), " " + cp1252 + " ");
    ASSERT_EQ(r.lines(), 1);
    EXPECT_EQ(r.details->Item(1).InvAmount, "-1,234.00-");
    EXPECT_EQ(r.details->Item(1).InvDesc, "");
    EXPECT_EQ(r.details->Item(1).DueAmount, " ");
}

}  // namespace
