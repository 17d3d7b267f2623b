#include "mailer/input/invoice_detail_reader.h"

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
            if (f.size() < 14)
                continue;
            ++run.HeaderCount;
            if (!headers)
                headers = std::make_unique<iHeaders>();
            current = &headers->Add(std::to_string(run.HeaderCount));
            current->Ship1 = text(2);
            current->Ship2 = text(3);
            current->Ship3 = text(4);
            current->Ship4 = text(5);
            current->SubTot = text(6);
            current->SubCR = text(7);
            current->Misc = text(8);
            current->MiscCR = text(9);
            current->TaxTot = text(10);
            current->TaxCR = text(11);
            current->Tot = text(12);
            current->TotCR = text(13);
            lineNumber = 0;
        } else if (f[0] == "D") {
            if (!current || f.size() < 12)
                continue;
            ++lineNumber;
            current->idetails().Add(std::to_string(lineNumber), text(1), text(2), text(3), text(4),
                                    text(5), text(6), text(7), text(8), text(9), text(10), text(11));
        }
    }
}

}  // namespace input
