// Any bytes as a statement file: the reader either raises BadRecord or leaves mail values that
// stay on one line and an account and reference that name files inside their folders.
#include "mailer/input/statement_reader.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct NoFields : input::ReportFields {
    void setField(std::string_view, const std::string& value) override { bytes += value.size(); }
    size_t bytes = 0;
};

bool oneLine(const std::string& value)
{
    return value.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::LineReader in(std::string(reinterpret_cast<const char*>(data), size));
    NoFields fields;
    std::unique_ptr<input::Details> details;
    input::StatementValues run;
    run.AcctNo = "prev\nious";
    run.MailTo = "prev\nious";
    try {
        input::ReadInput(in, fields, details, run);
    } catch (const input::BadRecord&) {
        return 0;
    }
    for (const std::string* value : {&run.AcctNo, &run.StmtRef, &run.CompanyLine, &run.MailTo, &run.MailFrom,
                                     &run.MailBcc, &run.MailSubject, &run.BodyFile})
        if (!oneLine(*value))
            std::abort();
    if (!input::isSafeFileName(run.AcctNo) || !input::isSafeFileName(run.StmtRef))
        std::abort();
    if (run.AcctNo == "prev\nious" || run.MailTo == "prev\nious")
        std::abort();
    return 0;
}
