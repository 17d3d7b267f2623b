#include "mailer/run/headless_run.h"

#include "mailer/pdf/pdf_export.h"
#include "mailer/run/run_failure.h"
#include "mailer/run/startup_settings.h"
#include "mailer/run/statement_job.h"
#include "mailer/run/statement_mailer.h"
#include "mailer/run/statement_paths.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <chrono>
#include <thread>

namespace run {
namespace {

std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}

/// The colours as the window reads them; an unreadable one is reported and stays not set.
void readColours(const settings::SettingsStore& store, input::modBrevix& run, std::ostream& err)
{
    try {
        readStatementColours(store, run);
    } catch (const platform::Error& e) {
        err << "Error: " << e.description() << " at Line: 1 in Brevix.\n";
    }
}

}  // namespace

int runHeadless(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
                const settings::SettingsStore& store, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop)
{
    readColours(store, run, err);
    readConnection(store, run);
    if (options.server)
        run.ServerName = *options.server;
    if (options.store)
        run.StoreNumber = *options.store;
    if (run.ServerName.isEmpty() || run.StoreNumber.isEmpty()) {
        err << "Set Server Name and Store Number\n";
        return 1;
    }
    const QString temp = tempFolder(run.ServerName, run.StoreNumber);
    if (!fs.isFolder(temp)) {
        err << "Cannot Connect to: " << temp << "\n";
        return 1;
    }

    StatementMailer mailer(run, fs);
    const QStringList attachments;
    for (;;) {
        for (QString name = mailer.nextStatement(); !name.isEmpty() && !stop; name = mailer.nextStatement()) {
            try {
                const MailedStatement done = mailer.mail(name, attachments);
                out << done.file << "\taccount " << done.account << "\t" << done.pdfPath << "\t"
                    << (done.mailed ? "mailed" : "not mailed") << (done.archived ? "" : "\tno archive copy")
                    << std::endl;
            } catch (...) {
                const RunFailure failure = describeFailure(std::current_exception(), run.StmtPath,
                                                           mailer.statementWaiting());
                err << failure.text << std::endl;
                return 1;
            }
        }
        if (!options.watch || stop)
            return 0;
        for (int i = 0; i < 10 && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (stop)
            return 0;
    }
}

int renderStatement(const QString& statementFile, const QString& pdfPath, input::modBrevix& run,
                    platform::FileSystem& fs, const settings::SettingsStore& store, std::ostream& err)
{
    readColours(store, run, err);
    try {
        StatementJob job(run, fs);
        pdf::PdfExport exporter(fs);
        exporter.FileName = pdfPath;
        job.render(statementFile, exporter);
        exporter.finish();
    } catch (...) {
        const RunFailure failure = describeFailure(std::current_exception(), statementFile, true);
        err << failure.text.section(QLatin1Char('\n'), 0, failure.title == QLatin1String("Error") ? 0 : 1)
            << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace run
