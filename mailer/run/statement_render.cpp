#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/name_check.h"
#include "mailer/run/email_request.h"
#include "mailer/run/render_pool.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/service_notifier.h"

#include <atomic>
#include <deque>

// A statement on its way to its staged PDF: read, checked, written, its request bound.
namespace run {
namespace {

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
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


}  // namespace run
