#include "mailer/run/statement_job.h"

#include "mailer/document/invoice_details.h"
#include "mailer/document/pages.h"
#include "mailer/document/pdf_export.h"
#include "mailer/document/statement.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/file_system.h"

namespace run {

StatementJob::StatementJob(input::modBrevix& run, platform::FileSystem& fs) : run_(run), fs_(fs) {}

StatementJob::~StatementJob() = default;

void StatementJob::Process(const QString& StmtFile)
{
    render(StmtFile);
    file();
}

void StatementJob::file()
{
    pdfPath_.clear();
    archived_ = false;
    document::PdfExport exporter;
    exporter.FileName = pdfPathFor(run_.StmtPath, platform::fromCp1252(run_.StmtRef));
    exporter.Option = 0;
    exporter.Export(*combined_, fs_);
    pdfPath_ = exporter.FileName;

    archive();
}

const document::Pages& StatementJob::render(const QString& StmtFile)
{
    run_.StmtPath = StmtFile;
    auto statement = std::make_unique<document::Statement>(run_, fs_);
    statement->Run();

    run_.HasDetails = false;
    combined_ = std::make_unique<document::Pages>();

    run_.DetPath = detailPathFor(StmtFile);
    std::unique_ptr<document::InvoiceDetails> details;
    if (fs_.isFile(run_.DetPath)) {
        details = std::make_unique<document::InvoiceDetails>(run_, fs_);
        details->Run();
        run_.HasDetails = true;
    }

    auto append = [this](const document::Pages& pages) {
        for (int i = 0; i < pages.Count(); ++i) {
            combined_->Insert(combined_->Count(), pages.Item(i));
            combined_->Commit();
        }
    };
    append(statement->pages());
    if (run_.HasDetails && run_.HeaderCount >= 1)
        append(details->pages());
    return *combined_;
}

void StatementJob::archive()
{
    // An archive copy replaces the earlier one in a single step, so the earlier copy is never
    // deleted before the new one exists.
    const QString name = fs_.isFile(pdfPath_) ? bareName(pdfPath_) : QString();
    const QString target = archiveFolder(run_.ServerName, run_.StoreNumber, platform::fromCp1252(run_.StmtRef)) + name;
    try {
        if (!name.isEmpty()) {
            fs_.copyReplacing(pdfPath_, target);
            archived_ = fs_.isFile(target);
        }
    } catch (const platform::Error&) {
        archived_ = false;
    }
    if (run_.NoEmail && archived_) {
        try {
            fs_.remove(pdfPath_);
        } catch (const platform::Error&) {
        }
    }
}

}  // namespace run
