#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/claim.h"
#include "mailer/input/statement_reader.h"
#include "mailer/run/email_request.h"
#include "mailer/run/statement_paths.h"
#include "platform/cp1252.h"
#include "platform/line_reader.h"

#include <functional>

// Finishing the claims of runs that ended: a claimed statement's PDF, archive copy and request
// were made before its claim, so recovery only puts them where they belong.

namespace run {
namespace {

/// The fields a statement report would show; recovery needs only the run-wide values.
struct NoFields : input::ReportFields {
    void setField(std::string_view, const std::string&) override {}
};

}  // namespace

std::optional<MailedStatement> StatementMailer::finishClaim(const QString& temp, const handoff::ClaimName& claim)
{
    MailedStatement result;
    result.file = claim.name;
    result.recovered = true;
    run_.StmtPath = temp + QLatin1Char('\\') + claim.name;
    // Its PDF and request were made before the claim; the statement is read again only for
    // their names.
    NoFields fields;
    std::unique_ptr<input::Details> details;
    std::string text;
    try {
        text = fs_.readFile(handoff::claimedPath(run_.StmtPath, claim.runId));
    } catch (const platform::Error& e) {
        if (e.number() == platform::Error::FileNotFound)
            return std::nullopt;  // another run, where the lock does not hold, finished it meanwhile
        throw;
    }
    platform::LineReader in(text);
    input::ReadInput(in, fields, details, run_);
    result.account = platform::fromCp1252(run_.AcctNo);
    result.mailTo = platform::fromCp1252(run_.MailTo);
    result.pdfPath = pdfPathFor(run_.StmtPath, platform::fromCp1252(run_.StmtRef));
    const QString staged = claim.runId.isEmpty() ? result.pdfPath : stagedPathFor(result.pdfPath, claim.runId);
    // Where the lock does not hold, another run may finish the same claim at the same time:
    // a file gone under a step means that run took the step.
    const auto unlessGone = [](const std::function<void()>& step) {
        try {
            step();
            return true;
        } catch (const platform::Error& e) {
            if (e.number() != platform::Error::FileNotFound)
                throw;
            return false;
        }
    };
    unlessGone([&] {
        job_.publish(staged, result.pdfPath,
                     archiveFolder(run_.ServerName, run_.StoreNumber, platform::fromCp1252(run_.StmtRef)),
                     run_.NoEmail, true);
    });
    result.archived = job_.archived();
    result.archiveCopy = job_.archiveCopy();
    result.archiveProblem = job_.archiveProblem();
    fs_.flush();
    if (!run_.NoEmail) {
        // Only the claiming run, or its recovery, moves its request: gone means handed off.
        const PendingRequest request = requestPaths(run_, claim.runId);
        result.handedOffBefore = !fs_.isFile(request.written) || !unlessGone([&] { handOff(fs_, request); });
        fs_.flush();
        result.mailed = true;
        result.request = request.destination;
    }
    // Told before the claim ends: a record line is lost only with the claim, never after it.
    observer_.recovered(result);
    const QString detail = detailPathFor(run_.StmtPath);
    unlessGone([&] {
        handoff::dropClaim(fs_, run_.StmtPath,
                           fs_.stamp(handoff::claimedPath(detail, claim.runId)) ? detail : QString(), claim.runId);
    });
    return result;
}

std::vector<MailedStatement> StatementMailer::recover(bool clearGarbage)
{
    try {
        return recoverClaims(clearGarbage);
    } catch (...) {
        tellFailure();
        throw;
    }
}

std::vector<MailedStatement> StatementMailer::recoverClaims(bool clearGarbage)
{
    std::vector<MailedStatement> finished;
    const QString temp = tempFolder();
    // A claim that cannot be finished now holds back only its own statement; the first error
    // ends the run once the others are finished.
    FirstError failed;
    for (const platform::FolderEntry& entry : fs_.entries(temp, handoff::kClaimedPattern, true)) {
        const handoff::ClaimName claim = handoff::parseClaim(entry.name);
        if (claim.name.isEmpty() || entry.stamp.kind != platform::FileStamp::Regular)
            continue;
        if (!claim.runId.isEmpty() && !session_.isDead(claim.runId))
            continue;  // a live run finishes its own
        try {
            if (std::optional<MailedStatement> result = finishClaim(temp, claim))
                finished.push_back(*result);
        } catch (const platform::Error&) {
            failed.keep(run_.StmtPath);
        }
    }
    failed.rethrow(run_.StmtPath);

    if (clearGarbage)
        clearDeadRuns();

    const QString tempdet = detailPathFor(temp + QStringLiteral("\\x")).chopped(2);
    for (const platform::FolderEntry& entry : fs_.entries(tempdet, handoff::kClaimedPattern, true)) {
        const handoff::ClaimName claim = handoff::parseClaim(entry.name);
        if (claim.name.isEmpty() || (!claim.runId.isEmpty() && !session_.isDead(claim.runId)))
            continue;
        const QString original = tempdet + QLatin1Char('\\') + claim.name;
        // A detail file dropped since under the same name is the newer one.
        if (fs_.stamp(original))
            fs_.remove(handoff::claimedPath(original, claim.runId));
        else
            fs_.rename(handoff::claimedPath(original, claim.runId), original);
    }
    return finished;
}

void StatementMailer::clearDeadRuns()
{
    // Their claims are finished: what they wrote and never claimed (a staged PDF, a request) is
    // nobody's, and their heartbeats tell nothing more.
    const QString store = storeFolder(run_.ServerName, run_.StoreNumber);
    QHash<QString, bool> dead;
    for (const QString& folder : {store, outFolder(run_.ServerName, run_.StoreNumber)}) {
        for (const platform::FolderEntry& entry : fs_.entries(folder, QStringLiteral(".*"), true)) {
            QString name = entry.name;
            for (const char* suffix : {".TXT", ".alive"})
                if (name.endsWith(QLatin1String(suffix)))
                    name.chop(int(qstrlen(suffix)));
            const QString runId = name.section(QLatin1Char('.'), -1);
            if (!handoff::isRunId(runId) || entry.stamp.kind != platform::FileStamp::Regular)
                continue;
            auto known = dead.find(runId);
            if (known == dead.end())
                known = dead.insert(runId, session_.isDead(runId));
            if (!*known)
                continue;
            try {
                fs_.remove(folder + QLatin1Char('\\') + entry.name);
            } catch (const platform::Error&) {
                // Another run clears it too, or it cannot go now: it is only garbage.
            }
        }
    }
}

}  // namespace run
