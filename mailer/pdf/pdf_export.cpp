#include "mailer/pdf/pdf_export.h"

#include "mailer/pdf/writer.h"
#include "platform/file_system.h"
#include "platform/version_numbers.h"

namespace pdf {

class PdfExport::FileOutput : public Output {
public:
    explicit FileOutput(std::unique_ptr<platform::FileWriter> file) : file(std::move(file)) {}
    void write(const char* data, size_t size) override { file->write(data, size); }
    std::unique_ptr<platform::FileWriter> file;
};

PdfExport::PdfExport(platform::FileSystem& fs, RenderCache* cache) : fs_(fs), cache_(cache) {}

PdfExport::~PdfExport() = default;

void PdfExport::open()
{
    if (writer_)
        return;
    if (FileName.isEmpty() && NameFile)
        FileName = NameFile();
    out_ = std::make_unique<FileOutput>(fs_.startFile(FileName));
    writer_ = std::make_unique<Writer>(*out_, cache_);
}

void PdfExport::addPage(document::Page&& page)
{
    open();
    writer_->addPage(page);
    if (BetweenPages)
        BetweenPages();
}

void PdfExport::endRun(int pageCount)
{
    open();
    writer_->endRun(pageCount);
}

void PdfExport::finish()
{
    open();
    writer_->setInformation(Title, QStringLiteral("Brevix " TORVIK_VERSION));
    writer_->finish();
    out_->file->commit();
    writer_.reset();
    out_.reset();
}

}  // namespace pdf
