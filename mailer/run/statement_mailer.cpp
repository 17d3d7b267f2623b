#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/claim.h"
#include "mailer/handoff/name_check.h"
#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/line_reader.h"

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

MailedStatement StatementMailer::requeue(const platform::FolderEntry& entry, MailedStatement result)
{
    settle_.restart(QString::fromLatin1(entry.bytes));
    result.changed = true;
    return result;
}

MailedStatement StatementMailer::mail(const platform::FolderEntry& entry, const QStringList& attachments)
{
    MailedStatement result;
    result.file = entry.name;
    run_.StmtPath = tempFolder() + QLatin1Char('\\') + entry.name;
    const QString onDisk = tempFolder() + QLatin1Char('\\') + handoff::escapedName(entry.bytes);
    if (const QString refusal = handoff::refusalOf(entry); !refusal.isEmpty())
        throw StatementRefused(onDisk, refusal);
    const QString detailPath = detailPathFor(run_.StmtPath);
    const std::optional<platform::FileStamp> detailStamp = fs_.stamp(detailPath);
    if (detailStamp && detailStamp->kind != platform::FileStamp::Regular)
        throw StatementRefused(onDisk, QStringLiteral("its invoice-detail file %1 is not a regular file")
                                           .arg(detailPath));

    job_.render(run_.StmtPath);
    if (!run_.HeaderRead)
        throw StatementRefused(onDisk, QStringLiteral("it has no H record, so it names no account"));
    if (blank(run_.AcctNo))
        throw StatementRefused(onDisk, QStringLiteral("its account number (field 6 of the H record) is empty"));
    // What was read is what stood still: a file written to (or a detail file dropped) since the
    // look is taken again once it settles.
    if (fs_.stamp(run_.StmtPath) != entry.stamp || fs_.stamp(detailPath) != detailStamp
        || detailSeen_.value(entry.bytes) != detailStamp)
        return requeue(entry, result);

    job_.file();
    result.account = platform::fromCp1252(run_.AcctNo);
    result.pdfPath = job_.pdfPath();
    result.archived = job_.archived();

    // The request is written whole before the claim: from the claim on, a request in the store
    // folder means "not handed off yet" to whoever finishes the statement.
    std::optional<PendingRequest> request;
    if (!run_.NoEmail)
        request = writeEmailRequest(fs_, run_, bareName(job_.pdfPath()), attachments);
    const QString detail = run_.HasDetails ? run_.DetPath : QString();
    auto dropRequest = [&] {
        try {
            if (request)
                fs_.remove(request->written);
        } catch (const platform::Error&) {
            // Not in the in folder, so never mailed; the next request of the account replaces it.
        }
    };
    try {
        handoff::claim(fs_, run_.StmtPath, detail);
    } catch (const platform::Error& e) {
        dropRequest();
        throw ClaimFailed(e);
    }
    if (fs_.stamp(handoff::claimedPath(run_.StmtPath)) != entry.stamp) {
        // Replaced between the read and the claim: give the new file its name back, untouched.
        fs_.rename(handoff::claimedPath(run_.StmtPath), run_.StmtPath);
        if (!detail.isEmpty())
            fs_.rename(handoff::claimedPath(detail), detail);
        dropRequest();
        return requeue(entry, result);
    }
    if (request) {
        handOff(fs_, *request);
        result.mailed = true;
    }
    handoff::dropClaim(fs_, run_.StmtPath, detail);
    return result;
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
