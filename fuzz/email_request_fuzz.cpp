// The request writer's input as a statement file would give it: the bytes up to the first
// 0xFF are read as a statement, the rest names the extra attachments ('|' between names).
// Whatever the reader lets through, the request keeps its shape: one line per key, in order,
// and an ATTACH line that splits into exactly the PDF and the attachments.
#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "platform/cp1252.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct NoFields : input::ReportFields {
    void setField(std::string_view, const std::string&) override {}
};

[[noreturn]] void broken()
{
    std::abort();
}

size_t count(const std::string& text, char c)
{
    size_t n = 0;
    for (char x : text)
        n += x == c ? 1 : 0;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t cut = bytes.find('\xFF');
    platform::LineReader in(bytes.substr(0, cut));
    NoFields fields;
    std::unique_ptr<input::Details> details;
    input::StatementValues run;
    try {
        input::ReadInput(in, fields, details, run);
    } catch (const input::BadRecord&) {
        return 0;
    }

    // The mailer only ever names files that passed the same test as the account.
    QStringList attachments;
    if (cut != std::string::npos) {
        std::string rest = bytes.substr(cut + 1);
        for (size_t start = 0; start <= rest.size();) {
            const size_t bar = std::min(rest.find('|', start), rest.size());
            const std::string name = rest.substr(start, bar - start);
            if (input::isSafeFileName(name) && !name.empty())
                attachments << platform::fromCp1252(name);
            start = bar + 1;
        }
    }
    const QString pdf = QStringLiteral("1.") + platform::fromCp1252(run.StmtRef) + QStringLiteral(".PDF");

    const std::vector<std::string> lines = run::emailRequestLines(run, pdf, attachments);
    const char* keys[] = {"[EMAIL]", "MAILTO=", "FROM=", "BCC=", "SUBJECT=", "BODYFILE=", "ATTACH="};
    size_t key = 0;
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos)
            broken();
        while (key < std::size(keys) && line.rfind(keys[key], 0) != 0)
            ++key;
        if (key == std::size(keys))
            broken();
        ++key;
    }
    if (lines.size() < 4 || lines.front() != "[EMAIL]" || lines.back().rfind("ATTACH=statements\\out\\1.", 0) != 0)
        broken();
    if (count(lines.back(), '|') != static_cast<size_t>(attachments.size()))
        broken();
    return 0;
}
