#include "mailer/pdf/pdf_export.h"

#include "mailer/pdf/writer.h"
#include "platform/file_system.h"
#include "platform/version_numbers.h"

namespace pdf {

class PdfExport::FileOutput : public Output {
public:
    FileOutput(std::unique_ptr<platform::FileWriter> file, size_t keepUpTo) : file(std::move(file)), keepUpTo(keepUpTo) {}
    void write(const char* data, size_t size) override
    {
        file->write(data, size);
        if (keeping && kept.size() + size <= keepUpTo) {
            kept.append(data, size);
        } else if (keeping) {
            keeping = false;
            std::string().swap(kept);
        }
    }
    std::unique_ptr<platform::FileWriter> file;
    size_t keepUpTo;
    bool keeping = keepUpTo > 0;
    std::string kept;
};

PdfExport::PdfExport(platform::FileSystem& fs, RenderCache* cache) : fs_(fs), cache_(cache) {}

PdfExport::~PdfExport() = default;

void PdfExport::open()
{
    if (writer_)
        return;
    out_ = std::make_unique<FileOutput>(fs_.startFile(FileName), KeepUpTo);
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
    if (out_->keeping)
        kept_ = std::make_shared<const std::string>(std::move(out_->kept));
    out_.reset();
}

std::shared_ptr<const std::string> PdfExport::keptBytes() const
{
    return kept_;
}

}  // namespace pdf
