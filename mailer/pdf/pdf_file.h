#pragma once
#include "mailer/pdf/digest.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pdf {

class Output;

/// The objects of a PDF file as they go out: numbers them, notes where each begins, buffers the
/// bytes and digests them for the /ID, and ends the file with its cross-reference table.
class PdfFile {
public:
    /// `reserved`: object numbers the caller writes later (1 to reserved).
    PdfFile(Output& out, int reserved);
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    int newObject();
    /// Object `id` with its dictionary or value (without "obj" and "endobj").
    void object(int id, const std::string& body);
    /// Stream `id`; `digest`, when given, stands for cached bytes in the /ID.
    void stream(int id, const std::string& dictionary, const std::string& bytes, const std::string* digest = nullptr);
    /// The cross-reference table and the trailer; flushes everything.
    void finish(int catalog, int info);

private:
    void put(const char* bytes, size_t size);
    void put(const std::string& bytes) { put(bytes.data(), bytes.size()); }
    void putUnhashed(const std::string& bytes);
    void beginObject(int id);
    void flushOut();

    Output& out_;
    std::string buffer_;
    uint64_t written_ = 0;
    std::vector<uint64_t> offsets_;  // by object number; 0 unused
    Digest hash_{Digest::Md5};
};

/// "id 0 R".
std::string ref(int id);

}  // namespace pdf
