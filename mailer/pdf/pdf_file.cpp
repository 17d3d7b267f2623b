#include "mailer/pdf/pdf_file.h"

#include "mailer/pdf/writer.h"

#include <QByteArray>
#include <cstdio>

namespace pdf {
namespace {

constexpr size_t kFlushAt = 1 << 16;

}  // namespace

std::string ref(int id)
{
    return std::to_string(id) + " 0 R";
}

PdfFile::PdfFile(Output& out, int reserved) : out_(out), offsets_(static_cast<size_t>(reserved) + 1, 0)
{
    buffer_.reserve(kFlushAt * 2);
    // A comment of high bytes marks the file as binary for tools that look.
    put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

void PdfFile::put(const char* bytes, size_t size)
{
    hash_.add(bytes, size);
    buffer_.append(bytes, size);
    written_ += size;
    if (buffer_.size() >= kFlushAt)
        flushOut();
}

void PdfFile::putUnhashed(const std::string& bytes)
{
    buffer_.append(bytes);
    written_ += bytes.size();
    if (buffer_.size() >= kFlushAt)
        flushOut();
}

void PdfFile::flushOut()
{
    out_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
}

int PdfFile::newObject()
{
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size() - 1);
}

void PdfFile::beginObject(int id)
{
    offsets_[static_cast<size_t>(id)] = written_;
    put(std::to_string(id) + " 0 obj\n");
}

void PdfFile::object(int id, const std::string& body)
{
    beginObject(id);
    put(body + "\nendobj\n");
}

void PdfFile::stream(int id, const std::string& dictionary, const std::string& bytes, const std::string* digest)
{
    beginObject(id);
    put("<<" + dictionary + " /Length " + std::to_string(bytes.size()) + " >>\nstream\n");
    if (digest) {
        // Cached bytes stand in the /ID by their digest.
        hash_.add(digest->data(), digest->size());
        putUnhashed(bytes);
    } else {
        put(bytes);
    }
    put("\nendstream\nendobj\n");
}

void PdfFile::finish(int catalog, int info)
{
    const std::string raw = hash_.result();
    const std::string id = QByteArray::fromRawData(raw.data(), qsizetype(raw.size())).toHex().toUpper().toStdString();
    const uint64_t xref = written_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
    char entry[21];
    for (size_t i = 1; i < offsets_.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets_[i]));
        table.append(entry, 20);
        if (table.size() >= kFlushAt) {
            put(table);
            table.clear();
        }
    }
    table += "trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root " + ref(catalog) + " /Info " + ref(info)
             + " /ID [<" + id + "> <" + id + ">] >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    put(table);
    flushOut();
}

}  // namespace pdf
