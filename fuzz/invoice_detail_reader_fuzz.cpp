// Any bytes as an invoice-detail file: the reader never fails, and counts the invoices it keeps.
#include "mailer/input/invoice_detail_reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::LineReader in(std::string(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<input::iHeaders> headers;
    const int count = input::ReadInput(in, headers);
    const int kept = headers ? headers->Count() : 0;
    if (count != kept)
        std::abort();
    return 0;
}
