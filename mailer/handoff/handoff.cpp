#include "mailer/handoff/handoff.h"

namespace handoff {
namespace {

using platform::Error;

bool gone(const Error& e, const QString& path)
{
    return e.number() == Error::FileNotFound && e.file() == path;
}

/// Equal size and time: what a rename keeps on every file system, whatever it numbers the file.
bool sameFile(const std::optional<platform::FileStamp>& a, const std::optional<platform::FileStamp>& b)
{
    return a.has_value() == b.has_value() && (!a || (a->size == b->size && a->mtimeNs == b->mtimeNs));
}

}  // namespace

Handoff::Handoff(platform::FileSystem& fs, Documents& documents, StoreFolders folders, QString runId,
                 std::function<void(const Attempt&)> told)
    : fs_(fs), documents_(documents), folders_(std::move(folders)), runId_(std::move(runId)), told_(std::move(told))
{
}

QString Handoff::mine(const QString& path, const QString& token) const
{
    return claimedPath(path, token, runId_);
}

QString Handoff::boundPath(const QString& account, const QString& token, bool mail) const
{
    return requestPath(folders_.store, account, token, mail);
}

void Handoff::bind(Attempt& a, const std::vector<std::string>& requestLines)
{
    a.bound = boundPath(a.filing.account, a.token, a.filing.mail);
    if (a.filing.mail)
        fs_.writeLines(a.bound, requestLines);
    else
        fs_.writeFile(a.bound, {});
}

void Handoff::end(Attempt& a, Attempt::End how)
{
    a.end = how;
    if (how != Attempt::End::Open && how != Attempt::End::Requeued && how != Attempt::End::Failed
        && how != Attempt::End::Finished)
        told_(a);
}

void Handoff::unbind(const Attempt& a, bool unlessClaimed)
{
    // A rename that failed on the wire may still have made the claim, and another run may have
    // taken it over since: then the bound file is that claim's, and stays.
    if (unlessClaimed && claimedTokens().contains(a.token))
        return;
    for (const QString& path : {a.bound, a.staged}) {
        try {
            if (!path.isEmpty())
                fs_.remove(path);
        } catch (const Error&) {
            // Hidden and never handed off: a stray that goes when a week old.
        }
    }
}

void Handoff::handOff(const std::vector<Attempt*>& batch, bool storeHeld)
{
    if (batch.empty())
        return;
    // Each step is durable before the next one can be seen: the staged PDFs and bound files
    // before the claims, the claims before the PDFs reach the out folder, the PDFs before the
    // hand-offs, the hand-offs before the claimed files go.
    fs_.flush();
    if (!storeHeld) {
        // A run that lost its store takes no further claim.
        for (Attempt* a : batch) {
            unbind(*a);
            a->end = Attempt::End::Requeued;
        }
        return;
    }
    FirstError failed;
    const auto each = [&failed](const std::vector<Attempt*>& from, const std::function<bool(Attempt&)>& step) {
        std::vector<Attempt*> next;
        for (Attempt* a : from) {
            try {
                if (step(*a))
                    next.push_back(a);
            } catch (const Error&) {
                // One statement's failure holds back only itself: it stays where it is.
                failed.keep(a->statement);
                a->end = Attempt::End::Failed;
            }
        }
        return next;
    };
    const std::vector<Attempt*> taken = each(batch, [this](Attempt& a) { return claim(a); });
    const QSet<QString> details = detailsNow(taken);
    const std::vector<Attempt*> claimed = each(taken, [&](Attempt& a) { return claimedAsRead(a, details); });
    fs_.flush();
    const std::vector<Attempt*> published = each(claimed, [this](Attempt& a) { return publish(a); });
    fs_.flush();
    const std::vector<Attempt*> handed = each(published, [this](Attempt& a) {
        if (handOffBound(a))
            return true;
        end(a, Attempt::End::Lost);
        return false;
    });
    fs_.flush();
    for (Attempt* a : handed) {
        // Handed off: what is left is tidying up, which the next run finishes if this one fails.
        end(*a, Attempt::End::Filed);
        try {
            dropClaims(*a);
        } catch (const Error&) {
            failed.keep(a->statement);
        }
    }
    failed.rethrow(failedStatement_);
}

bool Handoff::claim(Attempt& a)
{
    const QString s = mine(a.statement, a.token);
    try {
        // S first: the statement's claim is the attempt's; its token says whether D belongs to it.
        fs_.moveReplacing(a.statement, s);
    } catch (const Error& e) {
        if (!fs_.stampOrFail(s)) {
            unbind(a, true);
            if (e.number() != Error::FileNotFound && e.number() != Error::FileAlreadyExists)
                throw ClaimFailed(e);
            a.end = Attempt::End::Requeued;  // gone since the look: another run took it, or its writer
            return false;
        }
    }
    const QString d = mine(a.detail, a.token);
    if (tokenHasDetail(a.token)) {
        try {
            fs_.moveReplacing(a.detail, d);
        } catch (const Error& e) {
            if (!fs_.stampOrFail(d) && e.number() != Error::FileNotFound) {
                giveBack(a);
                throw ClaimFailed(e);
            }
        }
    }
    return true;
}

bool Handoff::claimedAsRead(Attempt& a, const QSet<QString>& detailsNow)
{
    // What is claimed must be what was read: a statement or detail file replaced since, or a
    // detail file dropped since, is taken again once it settles.
    const bool same = sameFile(fs_.stampOrFail(mine(a.statement, a.token)), a.statementStamp)
                      && (tokenHasDetail(a.token) ? sameFile(fs_.stampOrFail(mine(a.detail, a.token)), a.detailStamp)
                                                  : !detailsNow.contains(nameOf(a.detail).toCaseFolded()));
    if (same)
        return true;
    giveBack(a);
    return false;
}

QSet<QString> Handoff::detailsNow(const std::vector<Attempt*>& claimed)
{
    // One listing after the claims answers, for every statement claimed without one, whether a
    // detail file came since the look, in any letter case.
    QSet<QString> names;
    for (const Attempt* a : claimed) {
        if (tokenHasDetail(a->token))
            continue;
        for (const platform::FolderEntry& entry : fs_.entriesOrFail(folders_.tempdet, QStringLiteral("*"), false))
            names << entry.name.toCaseFolded();
        break;
    }
    return names;
}

void Handoff::giveBack(Attempt& a)
{
    const QString d = mine(a.detail, a.token);
    if (tokenHasDetail(a.token) && fs_.stampOrFail(d)) {
        try {
            fs_.rename(d, a.detail);
        } catch (const Error& e) {
            // A newer detail file took the name: it is the one a later look reads.
            if (e.number() == Error::FileAlreadyExists)
                fs_.remove(d);
        }
    }
    try {
        fs_.rename(mine(a.statement, a.token), a.statement);
    } catch (const Error& e) {
        if (e.number() == Error::FileNotFound) {
            end(a, Attempt::End::Lost);  // taken over: the other run finishes it
            return;
        }
        // A newer statement took the name: the claim is finished once this run has ended.
        a.end = Attempt::End::Requeued;
        return;
    }
    unbind(a);
    a.end = Attempt::End::Requeued;
}

bool Handoff::publish(Attempt& a)
{
    const QString s = mine(a.statement, a.token);
    try {
        fs_.moveReplacing(a.staged, a.filing.pdf);
    } catch (const Error& e) {
        if (!gone(e, a.staged))
            throw;
        // Taken away as a dead run's garbage while this run looked dead: made again, unless the
        // statement went with it.
        try {
            a.pdfBytes = documents_.render(a.statement, s, tokenHasDetail(a.token) ? mine(a.detail, a.token) : QString(),
                                           a.staged);
            fs_.moveReplacing(a.staged, a.filing.pdf);
        } catch (const Error& again) {
            if (again.number() != Error::FileNotFound || fs_.stampOrFail(s))
                throw;
            end(a, Attempt::End::Lost);
            return false;
        }
    }
    a.archived = documents_.archive(a.filing, a.pdfBytes);
    return true;
}

bool Handoff::handOffBound(const Attempt& a)
{
    try {
        if (a.filing.mail)
            fs_.moveReplacing(a.bound, a.filing.destination);
        else
            fs_.remove(a.bound);
        return true;
    } catch (const Error& e) {
        if (gone(e, a.bound))
            return false;  // another run handed it off
        // A rename that failed on the wire may still have happened.
        if (a.filing.mail && !fs_.stampOrFail(a.bound) && fs_.stampOrFail(a.filing.destination))
            return true;
        throw;
    }
}

bool Handoff::dropClaims(const Attempt& a)
{
    try {
        if (tokenHasDetail(a.token))
            fs_.remove(mine(a.detail, a.token));
        fs_.remove(mine(a.statement, a.token));
        return true;
    } catch (const Error& e) {
        if (e.number() == Error::FileNotFound)
            return false;  // taken over after the hand-off: the other run tidies up
        throw;
    }
}

}  // namespace handoff
