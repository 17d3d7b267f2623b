#include "mailer/run/headless_run.h"

#include "mailer/handoff/store_session.h"
#include "mailer/pdf/pdf_export.h"
#include "mailer/run/console_observer.h"
#include "mailer/run/delivery_record.h"
#include "mailer/run/mail_sender_watch.h"
#include "mailer/run/store_figures.h"
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
#include "settings/settings_store.h"

#include <QSysInfo>

#include <chrono>
#include <thread>

namespace run {
namespace {

// Fixed, so that monitoring and `journalctl MESSAGE_ID=...` find the mail sender's episodes.
constexpr char kMailSenderStoppedId[] = "5b0e6f5c8a1d4e2f9c3b7a6d1e4f8a20";
constexpr char kMailSenderTakesId[] = "5b0e6f5c8a1d4e2f9c3b7a6d1e4f8a21";

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

/// Settles the server and store of a run and reaches the store's temp folder; the exit status
/// when the run is to end before it begins.
std::optional<int> reachStore(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
                              const settings::SettingsStore& store, std::ostream& err,
                              platform::ServiceNotifier& service, const std::atomic<bool>& stop)
{
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
    return std::nullopt;
}

/// A run of a store it has reached: takes the store, mails what waits, once or until stopped.
/// Each step returns kGoOn, or the run's exit status when it is to end.
class StoreRun {
public:
    static constexpr int kGoOn = -1;

    StoreRun(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
             const settings::SettingsStore& store, std::ostream& out, std::ostream& err,
             platform::ServiceNotifier& service, const std::atomic<bool>& stop)
        : options_(options), run_(run), fs_(fs), err_(err), service_(service), stop_(stop),
          temp_(tempFolder(run.ServerName, run.StoreNumber)),
          lockPath_(storeLockPath(run.ServerName, run.StoreNumber)),
          session_(fs, lockPath_, options.watch ? QStringLiteral("brevix --watch") : QStringLiteral("brevix --once")),
          console_(out, err, options.journal, &fs), serviceStatus_(service),
          record_(fs, historyFolder(run.ServerName, run.StoreNumber), QSysInfo::machineHostName(), session_.runId(),
                  [&err](const QString& warning) { err << platform::warning << warning << std::endl; }),
          historyDays_(readHistoryDays(store)),
          mailWatch_(fs, inFolder(run.ServerName, run.StoreNumber),
                     readMailWaitMinutes(store.get(settings::MailWaitMinutes, QString()))),
          figures_(options.watch ? figuresFolder(store.get(settings::MetricsFolder, QString()), service.active()) : QString(),
                   run.ServerName, run.StoreNumber),
          observers_{&record_, &console_, &serviceStatus_, &figures_},
          mailer_(run, fs, session_, observers_, readSettleMs(store))
    {
    }

    ~StoreRun()
    {
        // The last figures of the run: a clean stop leaves the store to others.
        if (options_.watch)
            figures_.write([this] { return StoreState{int(fs_.list(temp_, QStringLiteral("*.txt")).size()),
                                                      mailWatch_.waiting(), mailWatch_.oldestAgeMs(), false}; },
                           true);
    }

    int exec()
    {
        if (const int ended = holdStore(); ended != kGoOn)
            return ended;
        for (int idleTicks = 0;;) {
            if (!session_.stillHeld())
                if (const int ended = regainStore(); ended != kGoOn)
                    return ended;
            const std::optional<bool> tookAny = mailWaiting();
            watchStore();
            if (!tookAny)
                return 1;  // the observers were told
            if (stop_)
                return status();
            if (*tookAny)
                continue;
            if (!options_.watch && !mailer_.settling())
                return finishOnce();
            if (const int ended = idle(++idleTicks); ended != kGoOn)
                return ended;
        }
    }

private:
    /// A run once tells by its status that something needs a person; a watch reports it and goes on.
    int status() const { return console_.anySetAside() && !options_.watch ? 1 : 0; }

    /// Takes the store and finishes what ended runs left.
    int holdStore()
    {
        if (const int ended = takeStore(); ended != kGoOn)
            return ended;
        try {
            mailer_.recover();
        } catch (...) {
            return 1;  // the observers were told
        }
        record_.prune(historyDays_);
        return kGoOn;
    }

    /// A run once leaves a store another run holds; a watch waits for it.
    int takeStore()
    {
        try {
            qint64 waited = 0;
            for (QString told;;) {
                const handoff::StoreSession::Take take = session_.take();
                if (take == handoff::StoreSession::Take::Taken)
                    return kGoOn;
                const bool busy = take == handoff::StoreSession::Take::Busy;
                const QString why = whyNotTaken(busy);
                // A run once watches a silent holder as long as it takes to tell it ended: only
                // this run's own clock can tell, never the time another machine wrote down.
                if (!options_.watch && !busy && !session_.otherSeenBeating() && (waited += 1000) <= handoff::kStaleMs + 2000) {
                    if (!sleepUnlessStopped(1000, stop_))
                        return 0;
                    continue;
                }
                if (!options_.watch) {
                    err_ << why << (busy ? "; this run leaves it alone.\n" : ".\n");
                    return 0;
                }
                if (told != why)
                    err_ << platform::warning << why
                         << (busy ? "; waiting for it to finish." : " and tries again every second.") << std::endl;
                told = why;
                watchStore();
                service_.idle();
                if (!sleepUnlessStopped(1000, stop_))
                    return 0;
            }
        } catch (const platform::Error& e) {
            err_ << platform::error << "Error " << e.number() << ": " << e.description() << " on "
                 << fs_.withHostPath(e.file())
                 << "\nThe store cannot be locked against a second run, so nothing was processed." << std::endl;
            return 1;
        }
    }

    QString whyNotTaken(bool busy) const
    {
        if (busy)
            return QStringLiteral("Store %1 of %2 is being processed by %3")
                .arg(run_.StoreNumber, run_.ServerName, session_.busyHolder());
        return QStringLiteral("The lock on %1 is not carried to the file server by this mount (mounted "
                              "with nobrl, or through FUSE?); this run leaves the store alone")
            .arg(lockPath_);
    }

    /// The store was lost while held: its lock file went, with its share or by someone's hand.
    int regainStore()
    {
        // A lock file gone with its share is the share's outage, not another run's doing.
        const bool reachable = fs_.isFolder(temp_);
        if (reachable)
            err_ << platform::warning << "The lock file " << fs_.withHostPath(lockPath_)
                 << " was deleted or replaced, or names another run, while this run held the store; this run "
                    "stops taking statements until it holds the store again."
                 << std::endl;
        if (!options_.watch) {
            if (!reachable)
                err_ << platform::error << "Cannot Connect to: " << fs_.withHostPath(temp_) << std::endl;
            return 1;
        }
        if (!reachable && !waitForFolder(fs_, temp_, service_, stop_, err_))
            return status();
        return holdStore();
    }

    /// Mails what waits, in batches whose files are made durable together: whether it took any
    /// statement, or nothing when an error ended the run.
    std::optional<bool> mailWaiting()
    {
        constexpr size_t kBatch = 100;
        const std::vector<platform::FolderEntry> ready = mailer_.look();
        bool tookAny = false;
        for (size_t first = 0; first < ready.size() && !stop_;) {
            const std::vector<platform::FolderEntry> batch(ready.begin() + first,
                                                           ready.begin() + std::min(ready.size(), first + kBatch));
            std::vector<MailedStatement> done;
            try {
                done = mailer_.mail(batch, QStringList(), true);
            } catch (...) {
                return std::nullopt;
            }
            for (const MailedStatement& one : done)
                tookAny = tookAny || (!one.refused && !one.changed);
            // The rest waits for the next look, and a store lost meanwhile for this run to hold it again.
            if (done.size() < batch.size() || !session_.held())
                break;
            first += batch.size();
        }
        return tookAny;
    }

    /// What a watch run keeps an eye on besides the statements: the mail sender, through the in
    /// folder, and the figures for monitoring.
    void watchStore()
    {
        if (!options_.watch)
            return;
        const MailSenderWatch::News news = mailWatch_.poll();
        if (news.kind != MailSenderWatch::News::Nothing) {
            const bool stopped = news.kind == MailSenderWatch::News::Warning;
            if (!options_.journal
                || !options_.journal(stopped ? platform::Priority::Warning : platform::Priority::Info, news.text,
                                     {{"MESSAGE_ID", stopped ? kMailSenderStoppedId : kMailSenderTakesId}}))
                err_ << (stopped ? platform::warning : platform::info) << news.text << std::endl;
            service_.mailSenderProblem(mailWatch_.warning());
        }
        const std::optional<QString> problem = figures_.write([this] {
            return StoreState{int(fs_.list(temp_, QStringLiteral("*.txt")).size()), mailWatch_.waiting(),
                              mailWatch_.oldestAgeMs(), session_.held()};
        });
        // Said once per cause; said again after a write that worked.
        if (problem && !problem->isEmpty() && *problem != figuresProblem_)
            err_ << platform::warning << *problem << std::endl;
        if (problem)
            figuresProblem_ = *problem;
    }

    /// A run once ends when nothing is left to settle: it says what stays and why.
    int finishOnce()
    {
        if (mailer_.leftBehind().isEmpty())
            return status();
        err_ << platform::warning << mailer_.leftBehind().size() << " statement(s) left in the temp folder: "
             << mailer_.leftBehind().join(QStringLiteral("; ")) << "." << std::endl;
        return 1;
    }

    /// Waits a tick with nothing to take (a run once waits for files still settling rather than
    /// leaving them behind); a watch waits out an outage of the share.
    int idle(int tick)
    {
        service_.idle();
        session_.beat();
        if (!sleepUnlessStopped(options_.watch ? 1000 : 100, stop_))
            return status();
        if (!options_.watch)
            return kGoOn;
        if (!waitForFolder(fs_, temp_, service_, stop_, err_))
            return status();
        service_.watching(temp_);
        record_.prune(historyDays_);
        // A run that ended beside this one (where the lock does not reach the server) left its
        // claims: they are finished within seconds, not only at this run's next start.
        if (tick % 10 == 0) {
            try {
                mailer_.recover(false);
            } catch (...) {
                return 1;  // the observers were told
            }
        }
        return kGoOn;
    }

    const HeadlessOptions& options_;
    const input::modBrevix& run_;
    platform::FileSystem& fs_;
    std::ostream& err_;
    platform::ServiceNotifier& service_;
    const std::atomic<bool>& stop_;
    const QString temp_;
    const QString lockPath_;
    handoff::StoreSession session_;
    ConsoleObserver console_;
    ServiceObserver serviceStatus_;
    DeliveryRecord record_;
    const int historyDays_;
    MailSenderWatch mailWatch_;
    StoreFigures figures_;
    QString figuresProblem_;
    Observers observers_;
    StatementMailer mailer_;
};

}  // namespace

int runHeadless(const HeadlessOptions& options, input::modBrevix& run, platform::FileSystem& fs,
                const settings::SettingsStore& store, std::ostream& out, std::ostream& err,
                const std::atomic<bool>& stop)
{
    platform::ServiceNotifier quiet;
    platform::ServiceNotifier& service = options.service ? *options.service : quiet;
    if (const std::optional<int> ended = reachStore(options, run, fs, store, err, service, stop))
        return *ended;
    // Ready once the store is reached, also while another run holds it: the journal says why
    // nothing is mailed meanwhile.
    service.watching(tempFolder(run.ServerName, run.StoreNumber));
    return StoreRun(options, run, fs, store, out, err, service, stop).exec();
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
