#include "mailer/handoff/handoff.h"
#include "mailer/handoff/liveness.h"

#include <QDateTime>

// Finishing what other runs left: their claims, once they look dead (rules 2 to 6 of handoff.h),
// and what they wrote and never claimed.
namespace handoff {
namespace {

using platform::Error;

constexpr qint64 kStrayAgeMs = 7LL * 24 * 3600 * 1000;

bool gone(const Error& e)
{
    return e.number() == Error::FileNotFound;
}

/// Whether a bound request says what the claimed statement says: the run that bound it may have
/// read another file than the one claimed. Extra attachments after the PDF are the binder's.
bool saysWhatItShould(const std::string& text, const std::vector<std::string>& lines)
{
    std::string expected;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        expected += lines[i] + "\r\n";
    const std::string& attach = lines.empty() ? std::string() : lines.back();
    if (text.compare(0, expected.size(), expected) != 0)
        return false;
    const std::string rest = text.substr(expected.size());
    return rest == attach + "\r\n" || rest.rfind(attach + "|", 0) == 0;
}

/// Judges each run once per pass.
class Judged {
public:
    explicit Judged(Liveness& liveness, const QString& self) : liveness_(liveness), self_(self) {}
    Liveness::State state(const QString& run)
    {
        if (run == self_)
            return Liveness::State::Ended;  // this run's own claims left over: it is between batches
        auto known = states_.find(run);
        if (known == states_.end())
            known = states_.insert(run, liveness_.judge(run));
        return *known;
    }
    bool dead(const QString& run) { return state(run) >= Liveness::State::Dead; }

private:
    Liveness& liveness_;
    const QString& self_;
    QHash<QString, Liveness::State> states_;
};

}  // namespace

QString Handoff::boundOf(const QString& token)
{
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.store, QStringLiteral(".*.") + token + QStringLiteral(".TXT"), true))
        if (parseRequest(entry.name).token == token)
            return folders_.store + QLatin1Char('\\') + entry.name;
    return {};
}

QSet<QString> Handoff::claimedTokens()
{
    QSet<QString> tokens;
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.temp, kClaimedPattern, true))
        if (const ClaimName claim = parseClaim(entry.name); !claim.name.isEmpty())
            tokens << claim.token;
    return tokens;
}

std::vector<Attempt> Handoff::recover(Liveness& liveness, bool clearDead)
{
    std::vector<Attempt> finished;
    Judged judged(liveness, runId_);
    FirstError failed;
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.temp, kClaimedPattern, true)) {
        const ClaimName claim = parseClaim(entry.name);
        if (claim.name.isEmpty() || entry.stamp.kind != platform::FileStamp::Regular || !judged.dead(claim.owner))
            continue;
        Attempt a;
        a.statement = folders_.temp + QLatin1Char('\\') + claim.name;
        a.detail = documents_.detailOf(a.statement);
        a.token = claim.token;
        try {
            if (takeOver(a, claim.owner))
                finished.push_back(a);
        } catch (const Error&) {
            failed.keep(a.statement);
        }
    }
    const QSet<QString> claimed = claimedTokens();
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.tempdet, kClaimedPattern, true)) {
        const ClaimName claim = parseClaim(entry.name);
        if (!claim.name.isEmpty() && !claimed.contains(claim.token) && judged.dead(claim.owner))
            returnOrphanDetail(claim);
    }
    if (clearDead)
        clearGarbage([&judged](const QString& run) { return judged.state(run); }, claimed);
    failed.rethrow(failedStatement_);
    return finished;
}

bool Handoff::takeOver(Attempt& a, const QString& owner)
{
    const QString s = mine(a.statement, a.token);
    if (owner != runId_) {
        try {
            fs_.moveReplacing(claimedPath(a.statement, a.token, owner), s);
        } catch (const Error& e) {
            if (gone(e))
                return false;  // another run took it first
            throw;
        }
    }
    try {
        finishTaken(a);
    } catch (const Error& e) {
        // Taken over from this run in turn, while it looked dead: the other run finishes it.
        if (!gone(e) || fs_.stampOrFail(mine(a.statement, a.token)))
            throw;
        a.end = Attempt::End::Finished;
    }
    return true;
}

void Handoff::finishTaken(Attempt& a)
{
    const QString s = mine(a.statement, a.token);
    a.filing = documents_.describe(a.statement, s);
    // Found by its token, not by what the claimed file says: that may not be what was bound.
    a.bound = boundOf(a.token);
    if (a.bound.isEmpty()) {
        // Handed off by the run it was taken from, which may have stopped before it said so.
        end(a, Attempt::End::HandedOffBefore);
        dropOwnedClaims(a);
        return;
    }
    QString detail = tokenHasDetail(a.token) ? takeDetail(a) : QString();
    const bool asBound = a.bound == boundPath(a.filing.account, a.token, a.filing.mail)
                         && (!a.filing.mail || saysWhatItShould(fs_.readFile(a.bound), a.filing.requestLines));
    if (!asBound) {
        // The run that bound it read another file than the one claimed: its request is void,
        // and what is claimed goes on as a new attempt of this run's.
        Attempt again = a;
        again.token = newToken(tokenHasDetail(a.token));
        bind(again, a.filing.requestLines);
        try {
            fs_.moveReplacing(s, mine(a.statement, again.token));
        } catch (const Error&) {
            unbind(again);
            throw;
        }
        if (!detail.isEmpty()) {
            fs_.moveReplacing(detail, mine(a.detail, again.token));
            detail = mine(a.detail, again.token);
        }
        a = again;
    }
    const QString claimed = mine(a.statement, a.token);
    a.staged = stagedPath(a.filing.pdf, a.token, runId_);
    a.pdfBytes = documents_.render(a.statement, claimed, detail, a.staged);
    if (!fs_.stampOrFail(a.bound)) {
        fs_.remove(a.staged);
        dropOwnedClaims(a);
        a.end = Attempt::End::Finished;
        return;
    }
    fs_.moveReplacing(a.staged, a.filing.pdf);
    a.archived = documents_.archive(a.filing, a.pdfBytes);
    fs_.flush();
    // Of two runs finishing one claim, the one whose hand-off went through says so; the other
    // nothing.
    if (handOffBound(a)) {
        fs_.flush();
        end(a, Attempt::End::Recovered);
    } else {
        a.end = Attempt::End::Finished;
    }
    dropOwnedClaims(a);
}

void Handoff::dropOwnedClaims(const Attempt& a)
{
    // Its detail file under whichever owner it was left: the statement is this run's now.
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.tempdet, kClaimedPattern, true)) {
        const ClaimName claim = parseClaim(entry.name);
        if (claim.token != a.token || claim.name != nameOf(a.detail))
            continue;
        try {
            fs_.remove(claimedPath(a.detail, a.token, claim.owner));
        } catch (const Error& e) {
            if (!gone(e))
                throw;
        }
    }
    try {
        fs_.remove(mine(a.statement, a.token));
    } catch (const Error& e) {
        if (!gone(e))
            throw;
    }
}

QString Handoff::takeDetail(const Attempt& a)
{
    const QString d = mine(a.detail, a.token);
    for (int tries = 0; tries < 3; ++tries) {
        if (fs_.stampOrFail(d))
            return d;
        bool raced = false;
        for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.tempdet, kClaimedPattern, true)) {
            const ClaimName claim = parseClaim(entry.name);
            if (claim.token != a.token || claim.name != nameOf(a.detail) || claim.owner == runId_)
                continue;
            try {
                fs_.moveReplacing(claimedPath(a.detail, a.token, claim.owner), d);
                return d;
            } catch (const Error& e) {
                if (!gone(e))
                    throw;
                raced = true;
            }
        }
        // Not claimed yet: the run it was taken from paused between its two claims.
        try {
            fs_.moveReplacing(a.detail, d);
            return d;
        } catch (const Error& e) {
            if (!gone(e))
                throw;
        }
        if (!raced)
            break;
    }
    // Its detail file is gone (removed by hand): the statement goes without invoice pages.
    return fs_.stampOrFail(d) ? d : QString();
}

void Handoff::returnOrphanDetail(const ClaimName& claim)
{
    const QString detail = folders_.tempdet + QLatin1Char('\\') + claim.name;
    const QString d = mine(detail, claim.token);
    try {
        if (claim.owner != runId_)
            fs_.moveReplacing(claimedPath(detail, claim.token, claim.owner), d);
        // Looked at again once it is this run's: a statement claim of its token made meanwhile
        // takes it over from here.
        if (claimedTokens().contains(claim.token))
            return;
        fs_.rename(d, detail);
    } catch (const Error& e) {
        if (e.number() == Error::FileAlreadyExists)
            fs_.remove(d);  // a newer detail file of the name is the one a later look reads
        else if (!gone(e))
            throw;
    }
}

void Handoff::clearGarbage(const std::function<Liveness::State(const QString&)>& stateOf, const QSet<QString>& claimed)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    constexpr Liveness::State Dead = Liveness::State::Dead;
    const auto removeQuietly = [this](const QString& path) {
        try {
            fs_.remove(path);
        } catch (const Error&) {
            // Another run clears it too, or it cannot go now: it is only garbage.
        }
    };
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.out, QStringLiteral(".*"), true))
        if (const StagedName staged = parseStaged(entry.name); !staged.name.isEmpty() && stateOf(staged.writer) >= Dead)
            removeQuietly(folders_.out + QLatin1Char('\\') + entry.name);
    for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.store, QStringLiteral(".*"), true)) {
        const QString path = folders_.store + QLatin1Char('\\') + entry.name;
        if (const QString run = parseHeartbeat(entry.name); !run.isEmpty() && run != runId_ && stateOf(run) >= Dead)
            removeQuietly(path);
        // A bound file without a claim: its binder may be paused just before its claim, unless its
        // run is known to be over.
        const RequestName bound = parseRequest(entry.name);
        if (!bound.token.isEmpty() && !claimed.contains(bound.token) && runOfToken(bound.token) != runId_
            && (stateOf(runOfToken(bound.token)) == Liveness::State::Ended
                || now - entry.stamp.mtimeNs / 1'000'000 > kStrayAgeMs))
            removeQuietly(path);
    }
}

}  // namespace handoff
