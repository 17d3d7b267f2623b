#include "mailer/input/invoice_detail_reader.h"

#include <iterator>
#include <string_view>
#include <vector>

namespace input {

int ReadInput(platform::LineReader& in, std::unique_ptr<iHeaders>& headers)
{
    int count = 0;
    iHeader* current = nullptr;
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
            ++count;
            if (!headers)
                headers = std::make_unique<iHeaders>();
            current = &headers->Add();
            size_t column = 1;
            for (const auto& field : kInvoiceHeaderFields)
                current->*field.member = text(++column);
        } else if (f[0] == "D") {
            if (!current || f.size() < std::size(kInvoiceLineFields) + 1)
                continue;
            iDetail record;
            size_t column = 0;
            for (const auto& field : kInvoiceLineFields)
                record.*field.member = text(++column);
            current->idetails().Add(std::move(record));
        }
    }
    return count;
}

}  // namespace input
