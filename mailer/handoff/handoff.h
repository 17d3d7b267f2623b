#pragma once
#include "mailer/handoff/first_error.h"
#include "mailer/handoff/hidden_names.h"
#include "mailer/handoff/liveness.h"
#include "platform/file_system.h"

#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The hand-off of statements from the temp folder to the mail sender, and the finishing of what
// another run left. Liveness may decide when another run's work is finished by this one, never
// whether a statement is mailed once, whole and to its own customer. The rules, with the names of
// hidden_names.h (T an attempt's token, S and D its statement and detail file):
//
//  1. Everything of an attempt carries T. Its PDF is staged and its bound file written whole
//     (the request, or an empty marker for a statement not to be mailed) before its claim; the
//     claim renames S, then D, to names holding T and the claiming run as owner.
//  2. Ownership moves only by rename, from the owner's name to the new owner's: of two runs
//     renaming one name, one wins and the other finds the name gone. A takeover renames only the
//     owner part. A run that finds its own name gone has lost the statement and touches it no
//     more. Only the run that claimed S gives it back, and only before it published anything.
//  3. A bound file is never removed or renamed but by its hand-off (the request renamed into the
//     in folder, the marker removed), or by its binder once it knows no claim of T exists (its
//     claim failed, or it gave S back itself). So while a claim of T exists, "bound file present"
//     means not handed off and "gone" means handed off: runs finishing T race on that one rename
//     or removal, and only the run whose own call did it reports the statement.
//  4. D-claims of T are made only while S-claim T exists and are dropped before it; a finisher
//     takes them over, or claims D itself (a run paused between its two claims), only while the
//     bound file is still present. So D never outlives its statement, and a finished statement
//     never takes a newer statement's detail file. A D-claim whose S-claim is gone is one its
//     claimer made after losing S: it gets its name back.
//  5. A finisher checks the bound file before it publishes, so it never replaces a PDF that a
//     handed-off request names; it renders the statement again from the claimed files, and
//     rewrites a request that does not say what the claimed statement says.
//  6. A staged PDF is anyone's garbage once its writer looks dead: a publish that finds it gone
//     renders again. Stray bound files (no claim of T) go only when a week old: the binder may
//     be paused just before its claim.
namespace handoff {

/// What a statement is filed and mailed as, read from it by the run.
struct Filing {
    QString account;
    QString mailTo;
    QString pdf;            ///< out\<name>.<ref>.PDF
    QString archiveFolder;  ///< with its trailing backslash
    bool mail = false;
    QString destination;    ///< in\STMT_<account>.TXT, when mailed
    /// What its request says, its ATTACH line naming the PDF alone, when mailed.
    std::vector<std::string> requestLines;
};

/// Whether the archive copy exists, and why not.
struct Archived {
    bool done = false;
    QString problem;
};

/// What the hand-off needs of the documents, supplied by the run: it knows no PDF.
class Documents {
public:
    virtual ~Documents() = default;
    /// The detail file that belongs to the statement, in the tempdet folder.
    virtual QString detailOf(const QString& statement) = 0;
    /// Reads the statement at `file`, whose own name is `statement` in the temp folder.
    virtual Filing describe(const QString& statement, const QString& file) = 0;
    /// Writes the statement's PDF whole at `staged`, with the invoice pages of `detailFile` when
    /// not empty; gives its bytes when small enough to keep.
    virtual std::shared_ptr<const std::string> render(const QString& statement, const QString& file,
                                                      const QString& detailFile, const QString& staged) = 0;
    /// Copies the PDF, in place, to the archive folder without failing visibly, from its bytes
    /// when given; a PDF not to be mailed then leaves the out folder once its copy exists.
    virtual Archived archive(const Filing& filing, std::shared_ptr<const std::string> bytes) = 0;
};

/// One attempt at a statement, from its look to its end.
struct Attempt {
    QString statement;  ///< temp\<name>, as on disk
    QString detail;     ///< tempdet\<name of its detail file>
    QString token;      ///< says whether a detail file belongs to it
    platform::FileStamp statementStamp;              ///< the statement as it was read
    std::optional<platform::FileStamp> detailStamp;  ///< the detail file as it was read
    Filing filing;
    QString staged;  ///< its PDF before the claim
    std::shared_ptr<const std::string> pdfBytes;  ///< its PDF's bytes, when kept
    QString bound;   ///< its request, or its marker when not mailed

    enum class End {
        Open,
        Requeued,   ///< not claimed, or given back: taken again once it settles
        Lost,       ///< another run took it over and finishes it
        Failed,     ///< an error held it back; it stays where it is
        Filed,      ///< this run handed it off
        Recovered,  ///< this run finished another run's claim
        Finished,   ///< another run, alive, handed it off; this run only tidied up
        /// The run it was taken from had handed it off before it stopped: only the record of it
        /// may be missing.
        HandedOffBefore,
    } end = End::Open;
    Archived archived;
};

/// The store's folders, as Windows path text.
struct StoreFolders {
    QString store, temp, tempdet, out;
};

class Handoff {
public:
    /// `told` hears each attempt that ends Filed, Recovered, HandedOffBefore or Lost, when it does.
    Handoff(platform::FileSystem& fs, Documents& documents, StoreFolders folders, QString runId,
            std::function<void(const Attempt&)> told);

    /// A token for this run's next attempt.
    QString newToken(bool withDetail) { return attemptToken(runId_, ++attempts_, withDetail); }
    /// The bound file of an attempt, in the store folder.
    QString boundPath(const QString& account, const QString& token, bool mail) const;
    /// Writes an attempt's bound file whole (its request lines, or an empty marker).
    void bind(Attempt& a, const std::vector<std::string>& requestLines);

    /// Claims, publishes and hands off a batch of staged attempts, each step durable for all
    /// before the next: claims, PDFs and archive copies, hand-offs, then the claimed files go.
    /// Without `storeHeld` nothing is claimed. Raises the first error once the others are done.
    void handOff(const std::vector<Attempt*>& batch, bool storeHeld);
    /// Removes what was written for an attempt that is not claimed.
    void unbind(const Attempt& a, bool unlessClaimed = false);

    /// Finishes the claims of runs that `liveness` knows to have ended (and this run's own that
    /// are left); with `clearGarbage`, removes what dead runs wrote and never claimed. Raises the
    /// first error once the others are done. In claim_takeover.cpp.
    std::vector<Attempt> recover(Liveness& liveness, bool clearGarbage);

    const QString& runId() const { return runId_; }
    /// The statement whose error the last call raised.
    const QString& failedStatement() const { return failedStatement_; }

private:
    QString mine(const QString& path, const QString& token) const;
    /// Claims the statement, then its detail file; false when it is gone or taken.
    bool claim(Attempt& a);
    /// Whether the claimed files are the ones read; gives them back when not.
    bool claimedAsRead(Attempt& a, const QSet<QString>& detailsNow);
    /// The detail files in tempdet now, case-folded, when a claimed statement has none.
    QSet<QString> detailsNow(const std::vector<Attempt*>& claimed);
    void giveBack(Attempt& a);
    bool publish(Attempt& a);
    /// The hand-off of the bound file; false when another run did it.
    bool handOffBound(const Attempt& a);
    /// Drops the claimed files, the detail file first; false when another run took them.
    bool dropClaims(const Attempt& a);
    void end(Attempt& a, Attempt::End how);

    bool takeOver(Attempt& a, const QString& owner);
    void finishTaken(Attempt& a);
    /// The bound file of a token in the store folder; empty when there is none.
    QString boundOf(const QString& token);
    QString takeDetail(const Attempt& a);
    /// Drops the claimed files of an attempt this run took over, its detail file under any owner.
    void dropOwnedClaims(const Attempt& a);
    void returnOrphanDetail(const ClaimName& claim);
    /// The tokens of the statement claims in the temp folder.
    QSet<QString> claimedTokens();
    void clearGarbage(const std::function<Liveness::State(const QString&)>& stateOf, const QSet<QString>& claimed);

    platform::FileSystem& fs_;
    Documents& documents_;
    StoreFolders folders_;
    QString runId_;
    std::function<void(const Attempt&)> told_;
    QString failedStatement_;
    std::atomic<quint64> attempts_{0};
};

}  // namespace handoff
