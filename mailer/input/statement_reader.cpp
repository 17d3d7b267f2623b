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

void ReadInput(platform::LineReader& in, ReportFields& fields, std::unique_ptr<Details>& details,
               modBrevix& run)
{
    run.clearStatementValues();
    std::vector<std::string_view> f;
    Detail record;  // its strings' room serves every D line
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
        const size_t n = f.size();
        const std::string_view type = f[0];
        auto fill = [&](const auto& table) {
            for (const Column& c : table)
                fields.setField(c.field, std::string(f[c.column]));
        };
        // A record with fewer fields than its type needs, the type not counted.
        auto needs = [&](size_t fields, const std::string& account) {
            if (n >= fields + 1)
                return;
            DataError(account, lineNumber,
                      QStringLiteral("%1 %2 record of %3 field%4, where %5 are needed")
                          .arg(type == "E" || type == "F" || type == "H" ? "an" : "a")
                          .arg(platform::fromCp1252(std::string(type)))
                          .arg(n - 1)
                          .arg(n == 2 ? "" : "s")
                          .arg(fields));
        };
        auto unsafe = [&](const char* what, const std::string& account) {
            DataError(account, lineNumber,
                      QStringLiteral("%1 record whose %2 holds \\, /, :, | or a control character, or is . or ..")
                          .arg(type == "H" ? "an H" : "an E", QLatin1String(what)));
        };

        if (type == "*") {
            needs(lastColumn(kCompanyColumns), run.AcctNo);
            run.NoEmail = false;
            fill(kCompanyColumns);
            run.CompanyLine = std::string(f[1]);
            if (n == 9 && f[8] == "A")
                run.NoEmail = true;
        } else if (type == "H") {
            needs(lastColumn(kHeaderColumns), run.AcctNo);
            const std::string account = trimStart(f[6]);
            if (!isSafeFileName(account))
                unsafe("account (field 6)", account);
            fill(kHeaderColumns);
            run.AcctNo = account;
            run.HeaderRead = true;
        } else if (type == "E") {
            needs(6, run.AcctNo);
            if (!isSafeFileName(std::string(f[2])))
                unsafe("statement reference (field 2)", run.AcctNo);
            run.MailTo = std::string(f[1]);
            run.StmtRef = std::string(f[2]);
            run.MailFrom = trimEnd(f[3]);
            run.MailBcc = trimEnd(f[4]);
            run.MailSubject = trimEnd(f[5]);
            run.BodyFile = trimEnd(f[6]);
        } else if (type == "D") {
            needs(std::size(kDetailFields), run.AcctNo);
            if (!details)
                details = std::make_unique<Details>();
            size_t column = 0;
            for (const auto& field : kDetailFields)
                record.*field.member = f[++column];
            details->Add(record);
        } else if (type == "F") {
            needs(lastColumn(kTotalColumns), run.AcctNo);
            fill(kTotalColumns);
            if (n == lastColumn(kDiscountColumns) + 1)
                fill(kDiscountColumns);
        }
    }
}

}  // namespace input
