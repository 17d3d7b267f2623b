#include "mailer/run/statement_mailer.h"

#include "mailer/handoff/hidden_names.h"
#include "mailer/pdf/render_cache.h"
#include "mailer/run/statement_paths.h"

// The mailer's side of the hand-off: its statements given to the protocol, and what became of
// them told to the observer.
namespace run {
namespace {

MailedStatement fresh(const QString& file)
{
    MailedStatement result;
    result.file = file;
    return result;
}

}  // namespace

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
        current_ = handoff_.failedStatement();
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

MailedStatement StatementMailer::resultOf(const handoff::Attempt& a, MailedStatement result, const Prepared* p)
{
    using End = handoff::Attempt::End;
    if (result.file.isEmpty())
        result.file = handoff::nameOf(a.statement);
    result.account = a.filing.account;
    result.pdfPath = a.filing.pdf;
    result.mailed = a.filing.mail && (a.end == End::Filed || a.end == End::Recovered || a.end == End::HandedOffBefore);
    result.mailTo = a.filing.mailTo;
    result.archived = a.archived.done;
    result.archiveCopy = a.archived.done ? a.filing.archiveFolder + bareName(a.filing.pdf) : QString();
    result.archiveProblem = a.archived.problem;
    result.request = result.mailed ? a.filing.destination : QString();
    // Rendered again since it was staged (its staged PDF was gone), the bytes filed are new ones.
    if (p && a.pdfBytes && p->hashed == a.pdfBytes)
        result.sha256 = p->sha256;
    else if (a.pdfBytes)
        result.sha256 = QString::fromLatin1(pdf::sha256Hex(a.pdfBytes->data(), a.pdfBytes->size()));
    result.recovered = a.end == End::Recovered || a.end == End::HandedOffBefore;
    result.handedOffBefore = a.end == End::HandedOffBefore;
    result.lost = a.end == End::Lost;
    return result;
}

void StatementMailer::tell(const handoff::Attempt& a)
{
    using End = handoff::Attempt::End;
    Prepared* p = handingOff_.value(&a);
    const MailedStatement result = resultOf(a, p ? p->result : MailedStatement(), p);
    if (p)
        p->result = result;
    if (a.end == End::Filed)
        observer_.filed(result);
    else if (a.end == End::Recovered || a.end == End::HandedOffBefore)
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
        current_ = handoff_.failedStatement();
        tellFailure();
        throw;
    }
    return finished;
}

StatementPlace StatementMailer::statementPlace()
{
    if (current_.isEmpty())
        return StatementPlace::Gone;
    if (fs_.isFile(current_))
        return StatementPlace::InTemp;
    const QString name = handoff::nameOf(current_);
    for (const platform::FolderEntry& entry : fs_.entries(tempFolder(), handoff::kClaimedPattern, true))
        if (handoff::parseClaim(entry.name).name == name)
            return StatementPlace::Claimed;
    return StatementPlace::Gone;
}

}  // namespace run
