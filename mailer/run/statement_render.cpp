#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/name_check.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/run/email_request.h"
#include "mailer/run/render_pool.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/service_notifier.h"

#include <atomic>
#include <deque>

// A statement on its way to its staged PDF: read whole, decided on, then written.
namespace run {
namespace {

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

void StatementMailer::checkCaseTwins(const platform::FolderEntry& entry, const QString& pdf,
                                     const QString& archiveFolder)
{
    const QByteArray name = bareName(pdf).toUtf8();
    for (const QString& folder : {pdf.left(pdf.size() - bareName(pdf).size()), archiveFolder}) {
        const QByteArray there = fs_.nameOnDisk(folder + bareName(pdf));
        if (!there.isEmpty() && there != name)
            throw StatementRefused(
                onDisk(entry),
                QStringLiteral("its PDF %1 would replace %2, another statement's document whose name differs only in "
                               "letter case; rename the statement file, or move that PDF away")
                    .arg(QString::fromUtf8(name), fs_.withHostPath(folder + handoff::escapedName(there))));
    }
}

StatementMailer::Prepared::Decision StatementMailer::decide(Prepared& p, const input::StatementValues& values,
                                                            const QSet<QString>* requests)
{
    using Decision = Prepared::Decision;
    const platform::FolderEntry& entry = p.entry;
    if (!values.HeaderRead)
        throw StatementRefused(onDisk(entry), QStringLiteral("it has no H record, so it names no account"));
    if (!values.TotalsRead)
        throw StatementUnfinished(onDisk(entry));
    if (blank(values.AcctNo))
        throw StatementRefused(onDisk(entry),
                               QStringLiteral("its account number (field 6 of the H record) is empty"));
    const handoff::Filing& filing = p.attempt.filing;
    checkCaseTwins(entry, filing.pdf, filing.archiveFolder);
    if (!filing.mail)
        return Decision::Take;
    // One request per account in a batch: its name in the in folder is the account's. A
    // request of an account that differs only in letter case would replace the other's on
    // the statement server: it waits until the mail sender took that one.
    const QByteArray waiting = fs_.nameOnDisk(filing.destination);
    if (!waiting.isEmpty() && waiting != bareName(filing.destination).toUtf8()) {
        p.waitsFor = QString::fromUtf8(waiting);
        return Decision::Waits;
    }
    p.destination = filing.destination.toCaseFolded();
    if (requests && requests->contains(p.destination))
        return Decision::NextBatch;
    return Decision::Take;
}

void StatementMailer::stage(Prepared& p, const input::StatementFile& file, StatementJob& job)
{
    handoff::Attempt& a = p.attempt;
    a.token = handoff_.newToken(p.detailLooked.has_value());
    const QString staged = handoff::stagedPath(a.filing.pdf, a.token, session_.runId());
    try {
        a.pdfBytes = job.write(file, p.detailLooked ? a.detail : QString(), staged);
    } catch (const platform::Error& e) {
        // The operator knows the PDF by its name, not by the run's staged one.
        if (e.file() != staged)
            throw;
        throw platform::Error(e.number(), e.description(), a.filing.pdf);
    }
    a.staged = staged;
    if (a.pdfBytes) {
        p.hashed = a.pdfBytes;
        p.sha256 = QString::fromLatin1(pdf::sha256Hex(a.pdfBytes->data(), a.pdfBytes->size()));
    }
    a.statementStamp = p.entry.stamp;
    a.detailStamp = p.detailLooked;
    p.result.pdfPath = a.filing.pdf;
    p.result.account = a.filing.account;
}

void StatementMailer::render(Prepared& p, StatementJob& job, const QSet<QString>* requests)
{
    const platform::FolderEntry& entry = p.entry;
    handoff::Attempt& a = p.attempt;
    try {
        if (const QString refusal = handoff::refusalOf(entry); !refusal.isEmpty())
            throw StatementRefused(onDisk(entry), refusal);
        // The detail file as the look found it: one that changes or comes since is found at the claim.
        a.statement = p.statement;
        a.detail = detailPathFor(p.statement);
        if (p.detailLooked && p.detailLooked->kind != platform::FileStamp::Regular)
            throw StatementRefused(onDisk(entry), QStringLiteral("its invoice-detail file %1 is not a regular file")
                                                      .arg(a.detail));
        // Read whole and decided on before anything is written: a refused statement writes nothing.
        const input::StatementFile file = job.read(p.statement);
        p.values = file.values;
        a.filing = StatementDocuments::filingOf(settings_, file.values, p.statement);
        p.decision = decide(p, file.values, requests);
        if (p.decision == Prepared::Decision::Take)
            stage(p, file, job);
    } catch (const platform::Error& e) {
        // Gone under the reading: another run took it since the look, or its writer removed it.
        if (e.number() == platform::Error::FileNotFound
            && (fs_.stamp(p.statement) != std::optional<platform::FileStamp>(entry.stamp)
                || fs_.stamp(detailPathFor(p.statement)) != p.detailLooked)) {
            dropWritten(p);
            a.staged.clear();
            p.decision = Prepared::Decision::Changed;
        } else {
            p.error = std::current_exception();
        }
    } catch (...) {
        p.error = std::current_exception();
    }
}

void StatementMailer::renderTogether(std::vector<Prepared>& batch, size_t first)
{
    // Each worker has a job of its own and shares the run's settings and cache; only this thread beats.
    std::atomic<bool> paged{false};
    std::deque<StatementJob> jobs;
    const int workers = int(std::min<size_t>(size_t(renderThreads()), batch.size() - first));
    for (int w = 0; w < workers; ++w) {
        jobs.emplace_back(settings_, fs_, cache_.get());
        jobs.back().betweenPages = [&paged] { paged.store(true, std::memory_order_relaxed); };
    }
    runOnWorkers(
        workers, first, batch.size(), [&](int w, size_t i) { render(batch[i], jobs[size_t(w)], nullptr); },
        [&] {
            if (paged.exchange(false, std::memory_order_relaxed)) {
                platform::keepAlive();
                session_.beat();
            }
        });
}

bool StatementMailer::finish(Prepared& p, const QStringList& attachments, QSet<QString>& requests)
{
    using Decision = Prepared::Decision;
    // Decided here, in batch order, when workers rendered it: its PDF goes again.
    if (p.decision == Decision::NextBatch || (!p.destination.isEmpty() && requests.contains(p.destination))) {
        dropWritten(p);
        return false;
    }
    if (p.error)
        std::rethrow_exception(p.error);
    if (p.decision == Decision::Waits) {
        leftBehind_ << QStringLiteral("%1 waits until the mail sender took %2, the request of an account that "
                                      "differs only in letter case")
                           .arg(p.entry.name, p.waitsFor);
        p.result.changed = true;  // not taken now; the next look asks again
        return true;
    }
    if (p.decision == Decision::Changed) {
        p.result = requeue(p.entry, p.result);
        return true;
    }
    // Bound whole before the claim: from the claim on, the bound file in the store folder means
    // "not handed off yet" to whoever finishes the statement.
    std::vector<std::string> lines;
    if (p.attempt.filing.mail) {
        lines = emailRequestLines(p.values, bareName(p.result.pdfPath), attachments);
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
