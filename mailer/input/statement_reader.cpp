#include "mailer/input/statement_reader.h"

#include "platform/cp1252.h"
#include "platform/path_mapper.h"

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
    return message() + QStringLiteral(". Line %1 of %2 is %3").arg(line_).arg(platform::withHostPath(file), problem_);
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
        auto set = [&](const char* name, size_t i) { fields.setField(name, std::string(f[i])); };
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
            needs(7, run.AcctNo);
            run.NoEmail = false;
            set("FromAddr1", 1);
            run.CompanyLine = std::string(f[1]);
            set("FromAddr2", 2);
            set("FromAddr3", 3);
            set("FromAddr4", 4);
            set("Msg1", 5);
            set("Msg2", 6);
            set("Msg3", 7);
            if (n == 9 && f[8] == "A")
                run.NoEmail = true;
        } else if (type == "H") {
            needs(7, run.AcctNo);
            const std::string account = trimStart(f[6]);
            if (!isSafeFileName(account))
                unsafe("account (field 6)", account);
            set("ToAddr1", 1);
            set("ToAddr2", 2);
            set("ToAddr3", 3);
            set("ToAddr4", 4);
            set("Date", 5);
            set("Account", 6);
            set("BegBal", 7);
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
            needs(10, run.AcctNo);
            if (!details)
                details = std::make_unique<Details>();
            details->Add(std::string(f[1]), std::string(f[2]), std::string(f[3]), std::string(f[4]),
                         std::string(f[5]), std::string(f[6]), std::string(f[7]), std::string(f[8]),
                         std::string(f[9]), std::string(f[10]));
        } else if (type == "F") {
            needs(8, run.AcctNo);
            set("TotOnAcct", 1);
            set("TotFuture", 2);
            set("TotCurrent", 3);
            set("Past30", 4);
            set("Past60", 5);
            set("Past90", 6);
            set("Total", 7);
            set("BalDue", 8);
            set("RemBalanceDue", 8);
            if (n == 10) {
                set("RemitDiscount", 9);
                set("Discount", 9);
            }
        }
    }
}

}  // namespace input
