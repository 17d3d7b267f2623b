#pragma once
#include <poppler-document.h>
#include <poppler-page.h>

#include <memory>
#include <string>

namespace testing_support {

/// A PDF as poppler reads it: its page count, its text (pages ending in a form feed) and the
/// title of its document information.
struct PdfText {
    int pages = 0;
    std::string text;
    std::string title;

    explicit PdfText(const std::string& bytes)
    {
        std::unique_ptr<poppler::document> doc(
            poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
        pages = doc ? doc->pages() : 0;
        if (doc) {
            const auto t = doc->info_key("Title").to_utf8();
            title.assign(t.begin(), t.end());
        }
        for (int i = 0; i < pages; ++i) {
            const auto utf8 = std::unique_ptr<poppler::page>(doc->create_page(i))->text().to_utf8();
            text.append(utf8.begin(), utf8.end());
            text += '\f';
        }
    }
};

}  // namespace testing_support
