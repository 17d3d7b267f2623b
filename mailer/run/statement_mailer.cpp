#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/claim.h"
#include "mailer/handoff/name_check.h"
#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/line_reader.h"
#include "platform/service_notifier.h"

#include <QElapsedTimer>

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

/// The fields a statement report would show; recovery needs only the run-wide values.
struct NoFields : input::ReportFields {
    void setField(std::string_view, const std::string&) override {}
};

bool blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

StatementMailer::StatementMailer(input::modBrevix& run, platform::FileSystem& fs, qint64 settleMs)
    : run_(run), fs_(fs), job_(run, fs), settle_(settleMs)
{
    // A statement of thousands of pages must not look like a hung run to the service manager.
    job_.betweenPages = platform::keepAlive;
}

QString StatementMailer::tempFolder() const
{
    return run::tempFolder(run_.ServerName, run_.StoreNumber);
}

std::vector<platform::FolderEntry> StatementMailer::look()
{
    const QString temp = tempFolder();
    const qint64 now = nowMs();
    const bool watchWriters = settle_.settleMs() > 0;
    std::vector<platform::FolderEntry> ready;
    QSet<QString> present;
    detailSeen_.clear();
    settling_ = false;
    for (platform::FolderEntry& entry : fs_.entries(temp, kPattern, false)) {
        const auto aside = setAside_.constFind(entry.bytes);
        if (aside != setAside_.cend()) {
            if (*aside == entry.stamp)
                continue;
            setAside_.remove(entry.bytes);
        }
        const QString key = QString::fromLatin1(entry.bytes);
        present << key;
        bool settled = settle_.settled(key, entry.stamp, now);
        std::optional<platform::FileStamp> stamp;
        if (handoff::refusalOf(entry).isEmpty()) {
            const QString path = temp + QLatin1Char('\\') + entry.name;
            const QString detail = detailPathFor(path);
            stamp = fs_.stamp(detail);
            if (stamp) {
                present << detail;
                settled = settle_.settled(detail, *stamp, now) && settled;
                if (settled && watchWriters && fs_.openForWriting(detail))
                    settled = false;
            }
            if (settled && watchWriters && fs_.openForWriting(path))
                settled = false;
        }
        if (settled) {
            detailSeen_.insert(entry.bytes, stamp);
            ready.push_back(std::move(entry));
        } else {
            settling_ = true;
        }
    }
    settle_.keepOnly(present);
    return ready;
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

std::vector<MailedStatement> StatementMailer::mail(const std::vector<platform::FolderEntry>& batch,
                                                   const QStringList& attachments, bool goOnAfterRefusal)
{
    Batch flushesTogether(fs_);
    std::vector<MailedStatement> results;
    std::vector<Prepared> prepared;
    QSet<QString> requests;
    std::exception_ptr error;
    for (const platform::FolderEntry& entry : batch) {
        try {
            Prepared p;
            p.entry = entry;
            p.result.file = entry.name;
            if (!prepare(p, attachments, requests))
                break;  // a second statement of an account waits for the next batch
            if (!p.result.changed)
                prepared.push_back(p);
            results.push_back(p.result);
        } catch (const StatementRefused&) {
            error = std::current_exception();
        } catch (const input::BadRecord& e) {
            error = goOnAfterRefusal ? std::make_exception_ptr(StatementRefused(onDisk(entry), e.message()))
                                     : std::current_exception();
        } catch (...) {
            error = std::current_exception();
            break;
        }
        if (error && goOnAfterRefusal) {
            setAside(entry);
            MailedStatement refused;
            refused.file = entry.name;
            refused.refused = error;
            results.push_back(refused);
            error = nullptr;
        } else if (error) {
            break;
        }
    }
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

/// Raised before the PDF file is created: the statement changed since the look, or a statement
/// of the same account already waits in this batch.
struct NotNow {
    bool changed;
};

}  // namespace

bool StatementMailer::prepare(Prepared& p, const QStringList& attachments, QSet<QString>& requests)
{
    const platform::FolderEntry& entry = p.entry;
    run_.StmtPath = tempFolder() + QLatin1Char('\\') + entry.name;
    if (const QString refusal = handoff::refusalOf(entry); !refusal.isEmpty())
        throw StatementRefused(onDisk(entry), refusal);
    const QString detailPath = detailPathFor(run_.StmtPath);
    const std::optional<platform::FileStamp> detailStamp = fs_.stamp(detailPath);
    if (detailStamp && detailStamp->kind != platform::FileStamp::Regular)
        throw StatementRefused(onDisk(entry), QStringLiteral("its invoice-detail file %1 is not a regular file")
                                                  .arg(detailPath));
    const bool detailAsLooked = detailSeen_.value(entry.bytes) == detailStamp;

    // Checked once the statement is read and before its PDF is created, so a refused statement
    // writes nothing.
    auto beforeFile = [&] {
        if (!run_.HeaderRead)
            throw StatementRefused(onDisk(entry), QStringLiteral("it has no H record, so it names no account"));
        if (blank(run_.AcctNo))
            throw StatementRefused(onDisk(entry),
                                   QStringLiteral("its account number (field 6 of the H record) is empty"));
        // What was read is what stood still: a file written to since the look is taken again
        // once it settles.
        if (!detailAsLooked || fs_.stamp(run_.StmtPath) != entry.stamp)
            throw NotNow{true};
        // One request per account in a batch: the request in the store folder is the
        // statement's journal until its hand-off.
        if (!run_.NoEmail && requests.contains(requestPaths(run_).written))
            throw NotNow{false};
    };
    try {
        job_.write(run_.StmtPath, beforeFile);
    } catch (const NotNow& notNow) {
        if (!notNow.changed)
            return false;
        p.result = requeue(entry, p.result);
        return true;
    }
    // The detail file is read after the statement's pages are written.
    if (fs_.stamp(detailPath) != detailStamp) {
        p.result = requeue(entry, p.result);
        return true;
    }
    job_.archive();
    p.statement = run_.StmtPath;
    p.detail = run_.HasDetails ? run_.DetPath : QString();
    p.result.account = platform::fromCp1252(run_.AcctNo);
    p.result.pdfPath = job_.pdfPath();
    p.result.archived = job_.archived();
    p.result.archiveProblem = job_.archiveProblem();
    // The request is written whole before the claim: from the claim on, a request in the store
    // folder means "not handed off yet" to whoever finishes the statement.
    if (!run_.NoEmail) {
        p.request = writeEmailRequest(fs_, run_, bareName(job_.pdfPath()), attachments);
        requests << p.request->written;
    }
    return true;
}

void StatementMailer::dropRequest(const Prepared& p)
{
    try {
        if (p.request)
            fs_.remove(p.request->written);
    } catch (const platform::Error&) {
        // Not in the in folder, so never mailed; the next request of the account replaces it.
    }
}

void StatementMailer::handOffAll(std::vector<Prepared>& prepared)
{
    if (prepared.empty())
        return;
    // Each step is durable before the next one can be seen: the PDFs, archive copies and requests
    // before the claims, the claims before the hand-offs, the hand-offs before the claimed files go.
    fs_.flush();
    std::exception_ptr claimError;
    std::vector<Prepared*> claimed;
    for (Prepared& p : prepared) {
        if (claimError) {
            dropRequest(p);
            continue;
        }
        try {
            handoff::claim(fs_, p.statement, p.detail);
        } catch (const platform::Error& e) {
            dropRequest(p);
            run_.StmtPath = p.statement;
            claimError = std::make_exception_ptr(ClaimFailed(e));
            continue;
        }
        if (fs_.stamp(handoff::claimedPath(p.statement)) != p.entry.stamp) {
            // Replaced between the read and the claim: give the new file its name back, untouched.
            fs_.rename(handoff::claimedPath(p.statement), p.statement);
            if (!p.detail.isEmpty())
                fs_.rename(handoff::claimedPath(p.detail), p.detail);
            dropRequest(p);
            MailedStatement fresh;
            fresh.file = p.result.file;
            p.result = requeue(p.entry, fresh);
            continue;
        }
        claimed.push_back(&p);
    }
    fs_.flush();
    for (Prepared* p : claimed) {
        run_.StmtPath = p->statement;
        if (p->request) {
            handOff(fs_, *p->request);
            p->result.mailed = true;
        }
    }
    fs_.flush();
    for (Prepared* p : claimed) {
        run_.StmtPath = p->statement;
        handoff::dropClaim(fs_, p->statement, p->detail);
    }
    if (claimError)
        std::rethrow_exception(claimError);
}

std::vector<MailedStatement> StatementMailer::recover()
{
    std::vector<MailedStatement> finished;
    const QString temp = tempFolder();
    for (const platform::FolderEntry& entry : fs_.entries(temp, handoff::kClaimedPattern, true)) {
        const QString name = handoff::unclaimedName(entry.name);
        if (name.isEmpty() || entry.stamp.kind != platform::FileStamp::Regular)
            continue;
        MailedStatement result;
        result.file = name;
        result.recovered = true;
        run_.StmtPath = temp + QLatin1Char('\\') + name;
        // Its PDF, archive copy and request were made before the claim; the statement is read
        // again only for the request's name.
        NoFields fields;
        std::unique_ptr<input::Details> details;
        platform::LineReader in(fs_.readFile(handoff::claimedPath(run_.StmtPath)));
        input::ReadInput(in, fields, details, run_);
        result.account = platform::fromCp1252(run_.AcctNo);
        result.pdfPath = pdfPathFor(run_.StmtPath, platform::fromCp1252(run_.StmtRef));
        const PendingRequest request = requestPaths(run_);
        if (!run_.NoEmail && fs_.isFile(request.written)) {
            handOff(fs_, request);
            result.mailed = true;
        }
        const QString detail = detailPathFor(run_.StmtPath);
        handoff::dropClaim(fs_, run_.StmtPath, fs_.stamp(handoff::claimedPath(detail)) ? detail : QString());
        finished.push_back(result);
    }

    const QString tempdet = detailPathFor(temp + QStringLiteral("\\x")).chopped(2);
    for (const platform::FolderEntry& entry : fs_.entries(tempdet, handoff::kClaimedPattern, true)) {
        const QString name = handoff::unclaimedName(entry.name);
        if (name.isEmpty())
            continue;
        const QString original = tempdet + QLatin1Char('\\') + name;
        // A detail file dropped since under the same name is the newer one.
        if (fs_.stamp(original))
            fs_.remove(handoff::claimedPath(original));
        else
            fs_.rename(handoff::claimedPath(original), original);
    }
    return finished;
}

bool StatementMailer::statementWaiting()
{
    return !run_.StmtPath.isEmpty()
           && (fs_.isFile(run_.StmtPath) || fs_.isFile(handoff::claimedPath(run_.StmtPath)));
}

}  // namespace run
