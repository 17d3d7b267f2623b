#include "mailer/input/statement_reader.h"

#include "platform/cp1252.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace input {
namespace {

std::string trimEnd(std::string_view s)
{
    const size_t end = s.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(s.substr(0, end + 1));
}

std::string trimStart(std::string_view s)
{
    const size_t start = s.find_first_not_of(' ');
    return start == std::string_view::npos ? std::string() : std::string(s.substr(start));
}

}  // namespace

QString BadRecord::message() const
{
    return QStringLiteral("An Error has occured on Account ") + platform::fromCp1252(account_);
}

QString BadRecord::messageAbout(const QString& file) const
{
    if (line_ <= 0)
        return message();
    return message() + QStringLiteral(". Line %1 of %2 is %3").arg(line_).arg(file, problem_);
}

void DataError(const std::string& AcctNo, int line, const QString& problem)
{
    throw BadRecord(AcctNo, line, problem);
}

bool isSafeFileName(const std::string& name)
{
    if (name == "." || name == "..")
        return false;
    // '|' separates the attachments of a request's ATTACH line, which names the PDF.
    for (unsigned char c : name)
        if (c == '\\' || c == '/' || c == ':' || c == '|' || c < 0x20 || c == 0x7F)
            return false;
    return true;
}

namespace {

/// One record of a statement file: its fields (the type first) and its line, for messages.
struct Record {
    const std::vector<std::string_view>& f;
    int line;

    std::string_view type() const { return f[0]; }
    std::string text(size_t column) const { return std::string(f[column]); }

    /// Raises unless the record has `count` fields, its type not counted.
    void needs(size_t count, const std::string& account) const
    {
        const size_t n = f.size() - 1;
        if (n >= count)
            return;
        const bool vowel = type() == "E" || type() == "F" || type() == "H";
        DataError(account, line,
                  QStringLiteral("%1 %2 record of %3 field%4, where %5 are needed")
                      .arg(vowel ? "an" : "a", platform::fromCp1252(std::string(type())))
                      .arg(n)
                      .arg(n == 1 ? "" : "s")
                      .arg(count));
    }

    /// Raises unless `name` may name a file.
    void needsSafe(const std::string& name, const char* what, const std::string& account) const
    {
        if (!isSafeFileName(name))
            DataError(account, line,
                      QStringLiteral("%1 record whose %2 holds \\, /, :, | or a control character, or is . or ..")
                          .arg(type() == "H" ? "an H" : "an E", QLatin1String(what)));
    }

    template <class Table>
    void fill(const Table& table, ReportFields& fields) const
    {
        for (const Column& c : table)
            fields.setField(c.field, text(c.column));
    }
};

void readCompany(const Record& r, ReportFields& fields, StatementValues& run)
{
    r.needs(lastColumn(kCompanyColumns), run.AcctNo);
    r.fill(kCompanyColumns, fields);
    run.CompanyLine = r.text(1);
    run.NoEmail = r.f.size() == 9 && r.f[8] == "A";
}

void readHeader(const Record& r, ReportFields& fields, StatementValues& run)
{
    r.needs(lastColumn(kHeaderColumns), run.AcctNo);
    const std::string account = trimStart(r.f[6]);
    r.needsSafe(account, "account (field 6)", account);
    r.fill(kHeaderColumns, fields);
    run.AcctNo = account;
    run.HeaderRead = true;
}

void readMail(const Record& r, StatementValues& run)
{
    r.needs(6, run.AcctNo);
    r.needsSafe(r.text(2), "statement reference (field 2)", run.AcctNo);
    run.MailTo = r.text(1);
    run.StmtRef = r.text(2);
    run.MailFrom = trimEnd(r.f[3]);
    run.MailBcc = trimEnd(r.f[4]);
    run.MailSubject = trimEnd(r.f[5]);
    run.BodyFile = trimEnd(r.f[6]);
}

/// `record`'s strings' room serves every D line.
void readDetail(const Record& r, Detail& record, std::unique_ptr<Details>& details, const StatementValues& run)
{
    r.needs(std::size(kDetailFields), run.AcctNo);
    if (!details)
        details = std::make_unique<Details>();
    size_t column = 0;
    for (const auto& field : kDetailFields)
        record.*field.member = r.f[++column];
    details->Add(record);
}

void readTotals(const Record& r, ReportFields& fields, StatementValues& run)
{
    r.needs(lastColumn(kTotalColumns), run.AcctNo);
    r.fill(kTotalColumns, fields);
    if (r.f.size() == lastColumn(kDiscountColumns) + 1)
        r.fill(kDiscountColumns, fields);
    run.TotalsRead = true;
}

}  // namespace

void ReadInput(platform::LineReader& in, ReportFields& fields, std::unique_ptr<Details>& details,
               StatementValues& run)
{
    run = StatementValues();
    std::vector<std::string_view> f;
    Detail record;
    int lineNumber = 0;
    while (!in.atEnd()) {
        const std::string line = in.readLine();
        ++lineNumber;
        if (line.empty())
            continue;
        // No statement text holds a NUL byte: the file is binary, not a statement.
        if (line.find('\0') != std::string::npos)
            DataError(run.AcctNo, lineNumber, QStringLiteral("no statement text: it holds a NUL byte"));
        platform::splitTabs(std::string_view(line), f);
        const Record r{f, lineNumber};
        if (r.type() == "*")
            readCompany(r, fields, run);
        else if (r.type() == "H")
            readHeader(r, fields, run);
        else if (r.type() == "E")
            readMail(r, run);
        else if (r.type() == "D")
            readDetail(r, record, details, run);
        else if (r.type() == "F")
            readTotals(r, fields, run);
    }
}

namespace {

/// Keeps the fields in reading order, to be set on the report that draws the statement.
struct KeptFields : ReportFields {
    explicit KeptFields(StatementFile& file) : file(file) {}
    void setField(std::string_view name, const std::string& value) override { file.fields.emplace_back(name, value); }
    StatementFile& file;
};

}  // namespace

StatementFile readStatement(platform::LineReader& in)
{
    StatementFile file;
    KeptFields fields(file);
    ReadInput(in, fields, file.lines, file.values);
    return file;
}

}  // namespace input
