#include "mailer/input/invoice_detail_reader.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace input {

void ReadInput(platform::LineReader& in, std::unique_ptr<iHeaders>& headers, modBrevix& run)
{
    run.HeaderCount = 0;
    iHeader* current = nullptr;
    int64_t lineNumber = 0;
    std::vector<std::string_view> f;
    while (!in.atEnd()) {
        const std::string line = in.readLine();
        if (line.empty())
            continue;
        platform::splitTabs(std::string_view(line), f);
        const auto text = [&](size_t i) { return std::string(f[i]); };

        if (f[0] == "H") {
            if (f.size() < std::size(kInvoiceHeaderFields) + 2)
                continue;
            ++run.HeaderCount;
            if (!headers)
                headers = std::make_unique<iHeaders>();
            current = &headers->Add(std::to_string(run.HeaderCount));
            size_t column = 1;
            for (const auto& field : kInvoiceHeaderFields)
                current->*field.member = text(++column);
            lineNumber = 0;
        } else if (f[0] == "D") {
            if (!current || f.size() < std::size(kInvoiceLineFields) + 1)
                continue;
            iDetail record;
            record.Key = std::to_string(++lineNumber);
            size_t column = 0;
            for (const auto& field : kInvoiceLineFields)
                record.*field.member = text(++column);
            current->idetails().Add(std::move(record));
        }
    }
}

}  // namespace input
