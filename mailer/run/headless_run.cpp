#include "mailer/run/headless_run.h"

#include "mailer/handoff/store_session.h"
#include "mailer/pdf/pdf_export.h"
#include "mailer/run/console_observer.h"
#include "mailer/run/run_failure.h"
#include "mailer/run/service_observer.h"
#include "mailer/run/share_wait.h"
#include "mailer/run/startup_settings.h"
#include "mailer/run/statement_job.h"
#include "mailer/run/statement_mailer.h"
#include "mailer/run/statement_paths.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/journal_stream.h"
#include "platform/service_notifier.h"

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

bool sleepUnlessStopped(int ms, const std::atomic<bool>& stop)
{
    for (int waited = 0; waited < ms && !stop; waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !stop;
}

}  // namespace

int runHeadless(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
                const settings::SettingsStore& store, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop)
{
    platform::ServiceNotifier quiet;
    platform::ServiceNotifier& service = options.service ? *options.service : quiet;
    readColours(store, run, err);
    readConnection(store, run);
    if (const QString unset = options.server ? QString() : serverNotSet(store); !unset.isEmpty()) {
        err << platform::error << unset << std::endl;
        return 1;
    }
    if (options.server)
        run.ServerName = *options.server;
    if (options.store)
        run.StoreNumber = *options.store;
    if (run.ServerName.isEmpty() || run.StoreNumber.isEmpty()) {
        err << platform::error << "Set Server Name and Store Number" << std::endl;
        return 1;
    }
    if (const QString problem = connectionProblem(run); !problem.isEmpty()) {
        err << platform::error << problem << std::endl;
        return 1;
    }
    const QString temp = tempFolder(run.ServerName, run.StoreNumber);
    if (options.watch && !waitForFolder(fs, temp, service, stop, err))
        return 0;
    if (!fs.isFolder(temp)) {
        err << platform::error << "Cannot Connect to: " << fs.withHostPath(temp) << std::endl;
        return 1;
    }

    // Ready once the store is reached, also while another run holds it: the journal says why
    // nothing is mailed meanwhile.
    service.watching(temp);
    const QString lockPath = storeLockPath(run.ServerName, run.StoreNumber);
    handoff::StoreSession session(fs, lockPath,
                                  options.watch ? QStringLiteral("brevix --watch") : QStringLiteral("brevix --once"));
    ConsoleObserver console(out, err);
    ServiceObserver serviceStatus(service);
    Observers observers{&console, &serviceStatus};
    StatementMailer mailer(run, fs, session, observers, readSettleMs(store));
    const QStringList attachments;
    // A run once tells by its status that something needs a person; a watch reports it and goes on.
    const auto status = [&] { return console.anySetAside() && !options.watch ? 1 : 0; };

    // Takes the store and finishes what ended runs left: 1 when it cannot be taken, 0 when this
    // run is to end without taking it, -1 when it holds the store.
    const auto holdStore = [&]() -> int {
        try {
            for (QString told;;) {
                const handoff::StoreSession::Take take = session.take();
                if (take == handoff::StoreSession::Take::Taken)
                    break;
                const bool busy = take == handoff::StoreSession::Take::Busy;
                const QString why =
                    busy ? QStringLiteral("Store %1 of %2 is being processed by %3")
                               .arg(run.StoreNumber, run.ServerName, session.busyHolder())
                         : QStringLiteral("The lock on %1 is not carried to the file server by this mount (mounted "
                                          "with nobrl, or through FUSE?); this run leaves the store alone")
                               .arg(lockPath);
                if (!options.watch) {
                    err << why << (busy ? "; this run leaves it alone.\n" : ".\n");
                    return 0;
                }
                if (told != why)
                    err << platform::warning << why
                        << (busy ? "; waiting for it to finish." : " and tries again every second.") << std::endl;
                told = why;
                service.idle();
                if (!sleepUnlessStopped(1000, stop))
                    return 0;
            }
        } catch (const platform::Error& e) {
            err << platform::error << "Error " << e.number() << ": " << e.description() << " on "
                << fs.withHostPath(e.file())
                << "\nThe store cannot be locked against a second run, so nothing was processed." << std::endl;
            return 1;
        }
        try {
            mailer.recover();
        } catch (...) {
            return 1;  // the observers were told
        }
        return -1;
    };
    if (const int ended = holdStore(); ended >= 0)
        return ended;

    // Statements are handed off in batches whose files are made durable together.
    constexpr size_t kBatch = 100;
    int idleTicks = 0;
    for (;;) {
        if (!session.stillHeld()) {
            // A lock file gone with its share is the share's outage, not another run's doing.
            const bool reachable = fs.isFolder(temp);
            if (reachable)
                err << platform::warning << "The lock file " << fs.withHostPath(lockPath)
                    << " was deleted or replaced, or names another run, while this run held the store; this run "
                       "stops taking statements until it holds the store again."
                    << std::endl;
            if (!options.watch) {
                if (!reachable)
                    err << platform::error << "Cannot Connect to: " << fs.withHostPath(temp) << std::endl;
                return 1;
            }
            if (!reachable && !waitForFolder(fs, temp, service, stop, err))
                return status();
            if (const int ended = holdStore(); ended >= 0)
                return ended;
        }
        const std::vector<platform::FolderEntry> ready = mailer.look();
        bool tookAny = false;
        for (size_t first = 0; first < ready.size() && !stop;) {
            const std::vector<platform::FolderEntry> batch(ready.begin() + first,
                                                           ready.begin() + std::min(ready.size(), first + kBatch));
            std::vector<MailedStatement> done;
            try {
                done = mailer.mail(batch, attachments, true);
            } catch (...) {
                return 1;  // the observers were told
            }
            for (const MailedStatement& one : done)
                tookAny = tookAny || (!one.refused && !one.changed);
            if (done.size() < batch.size())
                break;  // the rest waits for the next look
            first += batch.size();
        }
        if (stop)
            return status();
        if (tookAny)
            continue;
        if (!options.watch && !mailer.settling()) {
            if (mailer.leftBehind().isEmpty())
                return status();
            // Not an empty store: say what stays and why.
            err << platform::warning << mailer.leftBehind().size() << " statement(s) left in the temp folder: "
                << mailer.leftBehind().join(QStringLiteral("; ")) << "." << std::endl;
            return 1;
        }
        // A run once waits for files still settling rather than leaving them behind.
        service.idle();
        session.beat();
        if (!sleepUnlessStopped(options.watch ? 1000 : 100, stop))
            return status();
        if (options.watch) {
            if (!waitForFolder(fs, temp, service, stop, err))
                return status();
            service.watching(temp);
            // A run that ended beside this one (where the lock does not reach the server) left
            // its claims: they are finished within seconds, not only at this run's next start.
            if (++idleTicks % 10 == 0) {
                try {
                    mailer.recover(false);
                } catch (...) {
                    return 1;  // the observers were told
                }
            }
        }
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
        const RunFailure failure = describeFailure(std::current_exception(), fs, statementFile, StatementPlace::InTemp);
        err << failure.text.section(QLatin1Char('\n'), 0, failure.title == QLatin1String("Error") ? 0 : 1)
            << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace run
