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

#include <QCryptographicHash>
#include <QElapsedTimer>

#include <atomic>
#include <deque>

namespace run {
namespace {

const QString kPattern = QStringLiteral("*.txt");

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

/// Of names that differ only in letter case, one is taken per look: their PDFs and detail files
/// are one file on the statement server. The next look takes the other, or sets it aside.
QHash<QString, QByteArray> firstOfEachCase(const std::vector<platform::FolderEntry>& listed)
{
    QHash<QString, QByteArray> first;
    for (const platform::FolderEntry& entry : listed) {
        auto it = first.find(entry.name.toCaseFolded());
        if (it == first.end() || entry.bytes < *it)
            first.insert(entry.name.toCaseFolded(), entry.bytes);
    }
    return first;
}

}  // namespace

StatementMailer::StatementMailer(input::modBrevix& run, platform::FileSystem& fs, handoff::StoreSession& session,
                                 StatementObserver& observer, qint64 settleMs)
    : run_(run), fs_(fs), session_(session), observer_(observer), cache_(std::make_unique<pdf::RenderCache>()),
      job_(run, fs, cache_.get()), documents_(run, fs, job_, run),
      handoff_(fs, documents_,
               {storeFolder(run.ServerName, run.StoreNumber), tempFolder(), detailPathFor(tempFolder() + QStringLiteral("\\x")).chopped(2),
                outFolder(run.ServerName, run.StoreNumber)},
               session.runId(), [this](const handoff::Attempt& a) { tell(a); }),
      settle_(settleMs)
{
    // A statement of thousands of pages must look neither like a hung run to the service manager
    // nor like a dead one to the other runs of the store.
    job_.betweenPages = [this] {
        platform::keepAlive();
        session_.beat();
    };
}

StatementMailer::~StatementMailer() = default;

QString StatementMailer::tempFolder() const
{
    return run::tempFolder(run_.ServerName, run_.StoreNumber);
}

std::vector<platform::FolderEntry> StatementMailer::look()
{
    const QString temp = tempFolder();
    const qint64 now = nowMs();
    std::vector<platform::FolderEntry> ready;
    QSet<QString> present;
    detailSeen_.clear();
    settling_ = false;
    leftBehind_.clear();
    std::vector<platform::FolderEntry> listed = listWaiting(temp);
    listDetails(listed.empty());
    const QHash<QString, QByteArray> firstOfCase = firstOfEachCase(listed);
    for (platform::FolderEntry& entry : listed) {
        const QByteArray first = firstOfCase.value(entry.name.toCaseFolded());
        if (first != entry.bytes) {
            leftBehind_ << QStringLiteral("%1 waits for %2, whose name differs only in letter case")
                               .arg(entry.name, QString::fromUtf8(first));
            continue;
        }
        std::optional<platform::FileStamp> detailStamp;
        if (hasSettled(temp, entry, now, present, detailStamp)) {
            detailSeen_.insert(entry.bytes, detailStamp);
            ready.push_back(std::move(entry));
        } else {
            settling_ = true;
            leftBehind_ << QStringLiteral("%1 is still being written (settling)").arg(entry.name);
        }
    }
    settle_.keepOnly(present);
    return ready;
}

std::vector<platform::FolderEntry> StatementMailer::listWaiting(const QString& temp)
{
    std::vector<platform::FolderEntry> listed;
    for (platform::FolderEntry& entry : fs_.entries(temp, kPattern, false)) {
        const auto aside = setAside_.constFind(entry.bytes);
        if (aside != setAside_.cend()) {
            if (*aside == entry.stamp)
                continue;
            setAside_.remove(entry.bytes);
        }
        listed.push_back(std::move(entry));
    }
    return listed;
}

bool StatementMailer::hasSettled(const QString& temp, const platform::FolderEntry& entry, qint64 now,
                                 QSet<QString>& present, std::optional<platform::FileStamp>& detailStamp)
{
    const bool watchWriters = settle_.settleMs() > 0;
    const QString key = QString::fromLatin1(entry.bytes);
    present << key;
    bool settled = settle_.settled(key, entry.stamp, now);
    if (!handoff::refusalOf(entry).isEmpty())
        return settled;
    const QString path = temp + QLatin1Char('\\') + entry.name;
    const QString detail = detailPathFor(path);
    detailStamp = listedDetail(detail);
    if (detailStamp) {
        present << detail;
        settled = settle_.settled(detail, *detailStamp, now) && settled;
        if (settled && watchWriters && fs_.openForWriting(detail))
            settled = false;
    }
    if (settled && watchWriters && fs_.openForWriting(path))
        settled = false;
    return settled;
}

void StatementMailer::listDetails(bool none)
{
    // One listing a look answers for every statement's detail file: a missing one costs no
    // lookup of its own. One that comes after the look is found when the statement is claimed.
    detailsListed_.clear();
    if (none)
        return;
    const QString tempdet = detailPathFor(tempFolder() + QStringLiteral("\\x")).chopped(2);
    for (platform::FolderEntry& entry : fs_.entries(tempdet, QStringLiteral("*"), false))
        detailsListed_.insert(entry.name, entry.stamp);
}

std::optional<platform::FileStamp> StatementMailer::listedDetail(const QString& detail) const
{
    // As the statement server finds a name: the exact spelling first, then any letter case.
    const QString name = handoff::nameOf(detail);
    if (const auto exact = detailsListed_.constFind(name); exact != detailsListed_.cend())
        return *exact;
    for (auto it = detailsListed_.cbegin(); it != detailsListed_.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return std::nullopt;
}

void StatementMailer::setAside(const platform::FolderEntry& entry)
{
    setAside_.insert(entry.bytes, entry.stamp);
}

QString StatementMailer::onDisk(const platform::FolderEntry& entry) const
{
    return tempFolder() + QLatin1Char('\\') + handoff::escapedName(entry.bytes);
}

MailedStatement StatementMailer::requeue(const platform::FolderEntry& entry, MailedStatement result)
{
    settle_.restart(QString::fromLatin1(entry.bytes));
    // Still to be taken: a run once waits for it as for any file still settling.
    settling_ = true;
    leftBehind_ << QStringLiteral("%1 changed while it was taken and settles again").arg(entry.name);
    result.changed = true;
    return result;
}

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
    observer_.failed(describeFailure(std::current_exception(), fs_, run_.StmtPath, statementPlace()));
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
        all[i].result.file = batch[i].name;
        all[i].detailLooked = detailSeen_.value(batch[i].bytes);
    }
    std::vector<Prepared> prepared;
    QSet<QString> requests;
    std::exception_ptr error;
    // The first statement here, so that the fonts and the logo are made before any worker starts.
    const bool together = fs_.concurrent() && renderThreads() > 1 && batch.size() > 2;
    if (together) {
        render(all[0], run_, job_, nullptr);
        renderTogether(all, 1);
    }
    size_t next = 0;
    for (; next < all.size(); ++next) {
        Prepared& p = all[next];
        const platform::FolderEntry& entry = p.entry;
        try {
            if (!together)
                render(p, run_, job_, &requests);
            if (!finish(p, attachments, requests))
                break;  // a second statement of an account waits for the next batch
            if (!p.result.changed)
                prepared.push_back(p);
            results.push_back(p.result);
        } catch (const StatementUnfinished&) {
            if (!goOnAfterRefusal) {  // the window: passed over as still settling
                setAside(entry);
                p.result.changed = true;
                results.push_back(p.result);
                continue;
            }
            error = std::current_exception();
        } catch (const StatementRefused&) {
            error = std::current_exception();
        } catch (const input::BadRecord& e) {
            error = goOnAfterRefusal ? std::make_exception_ptr(StatementRefused(onDisk(entry), e.messageAbout(fs_.withHostPath(onDisk(entry)))))
                                     : std::current_exception();
        } catch (...) {
            error = std::current_exception();
            break;
        }
        if (error && goOnAfterRefusal) {
            results.push_back(refuse(entry, error));
            error = nullptr;
        } else if (error) {
            break;
        }
    }
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

namespace {

MailedStatement fresh(const QString& file)
{
    MailedStatement result;
    result.file = file;
    return result;
}


}  // namespace

void StatementMailer::checkCaseTwins(const input::modBrevix& run, const platform::FolderEntry& entry,
                                     const QString& pdf)
{
    const QByteArray name = bareName(pdf).toUtf8();
    const QString archive = archiveFolder(run.ServerName, run.StoreNumber, platform::fromCp1252(run.StmtRef));
    for (const QString& folder : {pdf.left(pdf.size() - bareName(pdf).size()), archive}) {
        const QByteArray there = fs_.nameOnDisk(folder + bareName(pdf));
        if (!there.isEmpty() && there != name)
            throw StatementRefused(
                onDisk(entry),
                QStringLiteral("its PDF %1 would replace %2, another statement's document whose name differs only in "
                               "letter case; rename the statement file, or move that PDF away")
                    .arg(QString::fromUtf8(name), fs_.withHostPath(folder + handoff::escapedName(there))));
    }
}

void StatementMailer::checkBeforeFiling(Prepared& p, const input::modBrevix& run, const QSet<QString>* requests)
{
    const platform::FolderEntry& entry = p.entry;
    if (!run.HeaderRead)
        throw StatementRefused(onDisk(entry), QStringLiteral("it has no H record, so it names no account"));
    if (!run.TotalsRead)
        throw StatementUnfinished(onDisk(entry));
    if (blank(run.AcctNo))
        throw StatementRefused(onDisk(entry),
                               QStringLiteral("its account number (field 6 of the H record) is empty"));
    checkCaseTwins(run, entry, pdfPathFor(run.StmtPath, platform::fromCp1252(run.StmtRef)));
    if (run.NoEmail)
        return;
    // One request per account in a batch: its name in the in folder is the account's. A
    // request of an account that differs only in letter case would replace the other's on
    // the statement server: it waits until the mail sender took that one.
    const QString destination = requestDestination(run);
    const QByteArray waiting = fs_.nameOnDisk(destination);
    if (!waiting.isEmpty() && waiting != bareName(destination).toUtf8()) {
        p.waitsFor = QString::fromUtf8(waiting);
        throw Prepared::Waits;
    }
    p.destination = destination.toCaseFolded();
    if (requests && requests->contains(p.destination))
        throw Prepared::NextBatch;
}

void StatementMailer::render(Prepared& p, input::modBrevix& run, StatementJob& job, const QSet<QString>* requests)
{
    const platform::FolderEntry& entry = p.entry;
    const QString& runId = session_.runId();
    try {
        run.StmtPath = run::tempFolder(run.ServerName, run.StoreNumber) + QLatin1Char('\\') + entry.name;
        if (const QString refusal = handoff::refusalOf(entry); !refusal.isEmpty())
            throw StatementRefused(onDisk(entry), refusal);
        // The detail file as the look found it: one that changes or comes since is found at the claim.
        const QString detailPath = detailPathFor(run.StmtPath);
        const std::optional<platform::FileStamp> detailStamp = p.detailLooked;
        if (detailStamp && detailStamp->kind != platform::FileStamp::Regular)
            throw StatementRefused(onDisk(entry), QStringLiteral("its invoice-detail file %1 is not a regular file")
                                                      .arg(detailPath));
        handoff::Attempt& a = p.attempt;
        a.token = handoff_.newToken(detailStamp.has_value());

        // Checked once the statement is read and before its PDF is created, so a refused statement
        // writes nothing.
        try {
            job.write(run.StmtPath, detailStamp ? detailPath : QString(), [&] { checkBeforeFiling(p, run, requests); },
                      [&](const QString& pdf) { return handoff::stagedPath(pdf, a.token, runId); });
        } catch (Prepared::Later later) {
            p.later = later;
        }
        if (p.later == Prepared::Now) {
            a.staged = job.stagedPath();
            a.pdfBytes = job.lastPdf();
            p.result.pdfPath = job.pdfPath();
            a.statement = run.StmtPath;
            a.detail = detailPath;
            a.statementStamp = entry.stamp;
            a.detailStamp = detailStamp;
            a.filing = StatementDocuments::filingOf(run, run.StmtPath);
            p.result.account = a.filing.account;
        }
    } catch (const platform::Error& e) {
        // Gone under the reading: another run took it since the look, or its writer removed it.
        if (e.number() == platform::Error::FileNotFound
            && (fs_.stamp(run.StmtPath) != std::optional<platform::FileStamp>(entry.stamp)
                || fs_.stamp(detailPathFor(run.StmtPath)) != p.detailLooked)) {
            dropWritten(p);
            p.attempt.staged.clear();
            p.later = Prepared::Changed;
        } else {
            p.error = std::current_exception();
        }
    } catch (...) {
        p.error = std::current_exception();
    }
    if (&run != &run_)
        p.values = run;
}

void StatementMailer::renderTogether(std::vector<Prepared>& batch, size_t first)
{
    // Each worker reads into values of its own and shares the run's cache; only this thread beats.
    std::atomic<bool> paged{false};
    std::deque<input::modBrevix> values;
    std::deque<StatementJob> jobs;
    const int workers = int(std::min<size_t>(size_t(renderThreads()), batch.size() - first));
    for (int w = 0; w < workers; ++w) {
        values.push_back(run_);
        jobs.emplace_back(values.back(), fs_, cache_.get());
        jobs.back().betweenPages = [&paged] { paged.store(true, std::memory_order_relaxed); };
    }
    runOnWorkers(
        workers, first, batch.size(), [&](int w, size_t i) { render(batch[i], values[size_t(w)], jobs[size_t(w)], nullptr); },
        [&] {
            if (paged.exchange(false, std::memory_order_relaxed)) {
                platform::keepAlive();
                session_.beat();
            }
        });
}

bool StatementMailer::finish(Prepared& p, const QStringList& attachments, QSet<QString>& requests)
{
    if (p.values)
        run_ = *p.values;
    // Decided here, in batch order, when workers rendered it: its PDF goes again.
    if (p.later == Prepared::NextBatch || (!p.destination.isEmpty() && requests.contains(p.destination))) {
        dropWritten(p);
        return false;
    }
    if (p.error)
        std::rethrow_exception(p.error);
    if (p.later == Prepared::Waits) {
        leftBehind_ << QStringLiteral("%1 waits until the mail sender took %2, the request of an account that "
                                      "differs only in letter case")
                           .arg(p.entry.name, p.waitsFor);
        p.result.changed = true;  // not taken now; the next look asks again
        return true;
    }
    if (p.later == Prepared::Changed) {
        p.result = requeue(p.entry, p.result);
        return true;
    }
    // Bound whole before the claim: from the claim on, the bound file in the store folder means
    // "not handed off yet" to whoever finishes the statement.
    std::vector<std::string> lines;
    if (p.attempt.filing.mail) {
        lines = emailRequestLines(run_, bareName(p.result.pdfPath), attachments);
        requests << p.attempt.filing.destination.toCaseFolded();
    }
    handoff_.bind(p.attempt, lines);
    return true;
}

void StatementMailer::dropWritten(const Prepared& p)
{
    // Only this run's own files: another run's are never touched.
    handoff_.unbind(p.attempt);
}

void StatementMailer::handOffAll(std::vector<Prepared>& prepared)
{
    std::vector<handoff::Attempt*> batch;
    handingOff_.clear();
    for (Prepared& p : prepared) {
        batch.push_back(&p.attempt);
        handingOff_.insert(&p.attempt, &p);
    }
    try {
        handoff_.handOff(batch, !batch.empty() && session_.stillHeld());
    } catch (...) {
        run_.StmtPath = handoff_.failedStatement();
        afterHandOff(prepared);
        throw;
    }
    afterHandOff(prepared);
}

void StatementMailer::afterHandOff(std::vector<Prepared>& prepared)
{
    handingOff_.clear();
    for (Prepared& p : prepared) {
        if (p.attempt.end == handoff::Attempt::End::Requeued)
            p.result = requeue(p.entry, fresh(p.result.file));
        else if (p.attempt.end == handoff::Attempt::End::Failed)
            p.result.changed = true;
    }
}

MailedStatement StatementMailer::resultOf(const handoff::Attempt& a, MailedStatement result)
{
    using End = handoff::Attempt::End;
    if (result.file.isEmpty())
        result.file = handoff::nameOf(a.statement);
    result.account = a.filing.account;
    result.pdfPath = a.filing.pdf;
    result.mailed = a.filing.mail && (a.end == End::Filed || a.end == End::Recovered);
    result.mailTo = a.filing.mailTo;
    result.archived = a.archived.done;
    result.archiveCopy = a.archived.done ? a.filing.archiveFolder + bareName(a.filing.pdf) : QString();
    result.archiveProblem = a.archived.problem;
    result.request = result.mailed ? a.filing.destination : QString();
    if (a.pdfBytes)
        result.sha256 = QString::fromLatin1(
            QCryptographicHash::hash(QByteArrayView(a.pdfBytes->data(), qsizetype(a.pdfBytes->size())),
                                     QCryptographicHash::Sha256).toHex());
    result.recovered = a.end == End::Recovered;
    result.lost = a.end == End::Lost;
    return result;
}

void StatementMailer::tell(const handoff::Attempt& a)
{
    using End = handoff::Attempt::End;
    Prepared* p = handingOff_.value(&a);
    const MailedStatement result = resultOf(a, p ? p->result : MailedStatement());
    if (p)
        p->result = result;
    if (a.end == End::Filed)
        observer_.filed(result);
    else if (a.end == End::Recovered)
        observer_.recovered(result);
    else if (a.end == End::Lost)
        observer_.lost(result);
}

std::vector<MailedStatement> StatementMailer::recover(bool clearGarbage)
{
    std::vector<MailedStatement> finished;
    try {
        for (const handoff::Attempt& a : handoff_.recover(session_.liveness(), clearGarbage))
            if (a.end == handoff::Attempt::End::Recovered)
                finished.push_back(resultOf(a, {}));
    } catch (...) {
        run_.StmtPath = handoff_.failedStatement();
        tellFailure();
        throw;
    }
    return finished;
}

StatementPlace StatementMailer::statementPlace()
{
    if (run_.StmtPath.isEmpty())
        return StatementPlace::Gone;
    if (fs_.isFile(run_.StmtPath))
        return StatementPlace::InTemp;
    const QString name = handoff::nameOf(run_.StmtPath);
    for (const platform::FolderEntry& entry : fs_.entries(tempFolder(), handoff::kClaimedPattern, true))
        if (handoff::parseClaim(entry.name).name == name)
            return StatementPlace::Claimed;
    return StatementPlace::Gone;
}

}  // namespace run
