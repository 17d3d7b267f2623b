#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/name_check.h"
#include "mailer/input/statement_reader.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/run/email_request.h"
#include "mailer/run/render_pool.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/line_reader.h"
#include "platform/service_notifier.h"

// A look's statements taken in batches: rendered, then handed off together.
namespace run {

StatementMailer::StatementMailer(const input::modBrevix& settings, platform::FileSystem& fs,
                                 handoff::StoreSession& session, StatementObserver& observer, qint64 settleMs,
                                 handoff::SteadyClock clock)
    : settings_(settings), fs_(fs), session_(session), observer_(observer),
      cache_(std::make_unique<pdf::RenderCache>()), job_(settings, fs, cache_.get()), documents_(settings, fs, job_),
      handoff_(fs, documents_,
               {storeFolder(settings.ServerName, settings.StoreNumber), tempFolder(),
                detailPathFor(tempFolder() + QStringLiteral("\\x")).chopped(2),
                outFolder(settings.ServerName, settings.StoreNumber)},
               session.runId(), [this](const handoff::Attempt& a) { tell(a); }),
      settle_(settleMs), clock_(std::move(clock))
{
    // A statement of thousands of pages must look neither like a hung run to the service manager
    // nor like a dead one to the other runs of the store.
    job_.betweenPages = [this] {
        platform::keepAlive();
        session_.beat();
    };
}

StatementMailer::~StatementMailer() = default;

MailedStatement StatementMailer::mail(const platform::FolderEntry& entry, const QStringList& attachments)
{
    // A batch of one holds no second statement of an account, so it always takes its statement.
    return mail(std::vector<platform::FolderEntry>{entry}, attachments, false).front();
}

/// Puts the flushes of a batch off and ends the batch on every way out.
struct StatementMailer::Batch {
    explicit Batch(platform::FileSystem& fs) : fs(fs) { fs.beginBatch(); }
    ~Batch()
    {
        try {
            fs.endBatch();
        } catch (const platform::Error&) {
            // Whatever it left unflushed has not been handed off yet.
        }
    }
    platform::FileSystem& fs;
};

MailedStatement StatementMailer::refuse(const platform::FolderEntry& entry, std::exception_ptr why)
{
    setAside(entry);
    MailedStatement refused;
    refused.file = entry.name;
    refused.refused = why;
    observer_.setAside(refused);
    return refused;
}

void StatementMailer::tellFailure()
{
    observer_.failed(describeFailure(std::current_exception(), fs_, current_, statementPlace()));
}

std::vector<MailedStatement> StatementMailer::mail(const std::vector<platform::FolderEntry>& batch,
                                                   const QStringList& attachments, bool goOnAfterRefusal)
{
    try {
        return mailBatch(batch, attachments, goOnAfterRefusal);
    } catch (...) {
        tellFailure();
        throw;
    }
}

std::vector<MailedStatement> StatementMailer::mailBatch(const std::vector<platform::FolderEntry>& batch,
                                                        const QStringList& attachments, bool goOnAfterRefusal)
{
    Batch flushesTogether(fs_);
    std::vector<MailedStatement> results;
    std::vector<Prepared> all(batch.size());
    for (size_t i = 0; i < batch.size(); ++i) {
        all[i].entry = batch[i];
        all[i].statement = tempFolder() + QLatin1Char('\\') + batch[i].name;
        all[i].result.file = batch[i].name;
        all[i].detailLooked = detailSeen_.value(batch[i].bytes);
    }
    std::vector<Prepared> prepared;
    QSet<QString> requests;
    std::exception_ptr error;
    // The first statement here, so that the fonts and the logo are made before any worker starts.
    const bool together = fs_.concurrent() && renderThreads() > 1 && batch.size() > 2;
    if (together) {
        render(all[0], job_, nullptr);
        renderTogether(all, 1);
    }
    size_t next = 0;
    while (next < all.size() && takeOn(all[next], together, attachments, goOnAfterRefusal, requests, results, prepared, error))
        ++next;
    // What was rendered after the batch ended is taken again by a later look.
    for (size_t i = next + 1; i < all.size(); ++i)
        dropWritten(all[i]);
    try {
        handOffAll(prepared);
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    for (const Prepared& p : prepared)
        for (MailedStatement& r : results)
            if (r.file == p.result.file && !r.refused)
                r = p.result;
    if (error)
        std::rethrow_exception(error);
    return results;
}

bool StatementMailer::takeOn(Prepared& p, bool rendered, const QStringList& attachments, bool goOnAfterRefusal,
                             QSet<QString>& requests, std::vector<MailedStatement>& results,
                             std::vector<Prepared>& prepared, std::exception_ptr& error)
{
    const platform::FolderEntry& entry = p.entry;
    current_ = p.statement;
    try {
        if (!rendered)
            render(p, job_, &requests);
        if (!finish(p, attachments, requests))
            return false;  // a second statement of an account waits for the next batch
        if (!p.result.changed)
            prepared.push_back(p);
        results.push_back(p.result);
        return true;
    } catch (const StatementUnfinished&) {
        if (!goOnAfterRefusal) {  // the window: passed over as still settling
            setAside(entry);
            p.result.changed = true;
            results.push_back(p.result);
            return true;
        }
        error = std::current_exception();
    } catch (const StatementRefused&) {
        error = std::current_exception();
    } catch (const input::BadRecord& e) {
        error = goOnAfterRefusal ? std::make_exception_ptr(StatementRefused(onDisk(entry), e.messageAbout(fs_.withHostPath(onDisk(entry)))))
                                 : std::current_exception();
    } catch (...) {
        error = std::current_exception();
        return false;
    }
    if (!goOnAfterRefusal)
        return false;
    results.push_back(refuse(entry, error));
    error = nullptr;
    return true;
}

}  // namespace run
