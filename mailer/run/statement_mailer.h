#pragma once
#include "mailer/handoff/handoff.h"
#include "mailer/handoff/settle_watch.h"
#include "mailer/handoff/store_session.h"
#include "mailer/input/mod_brevix.h"
#include "mailer/input/statement_values.h"
#include "mailer/run/run_failure.h"
#include "mailer/run/statement_documents.h"
#include "mailer/run/statement_errors.h"
#include "mailer/run/statement_job.h"
#include "mailer/run/statement_observer.h"
#include "platform/error.h"
#include "platform/file_system.h"

#include <QHash>
#include <QString>
#include <QSet>
#include <QStringList>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace run {

/// Takes the statements of a store's temp folder whole and hands each request off exactly once:
/// a file is taken after it stood still for the settle time; its PDF is staged and its request
/// bound in the store folder; then the hand-off (mailer/handoff/handoff.h) claims, publishes and
/// hands it off. A run that ends anywhere in between is finished by recover(), in this run or
/// another. Each statement's outcome, and the error that ends a call, is told to the observer as
/// it happens.
class StatementMailer {
public:
    /// `clock` times the settling; a parameter so that settling is tested without waiting.
    /// `settings` stay as they are while the mailer lives: its workers share them.
    StatementMailer(const input::modBrevix& settings, platform::FileSystem& fs, handoff::StoreSession& session,
                    StatementObserver& observer, qint64 settleMs = 0,
                    handoff::SteadyClock clock = handoff::steadyClock());
    ~StatementMailer();

    /// One look at the temp folder: the statement files ready to be taken, in directory order.
    /// A file is ready once it and its detail file stood still for the settle time and no other
    /// process writes them; files set aside are skipped until they change.
    std::vector<platform::FolderEntry> look();
    void setSettleMs(qint64 settleMs) { settle_ = handoff::SettleWatch(settleMs); }
    /// Whether the last look saw statement files that are still settling.
    bool settling() const { return settling_; }
    /// Why statements of the last look were left for a later one (settling, changed, waiting for
    /// the mail sender), one text each.
    const QStringList& leftBehind() const { return leftBehind_; }

    /// Files, archives and mails the statement. Raises StatementRefused or input::BadRecord for
    /// a statement that fails on its own data, before anything is written; ClaimFailed when it
    /// cannot be claimed; platform::Error for any other failure.
    MailedStatement mail(const platform::FolderEntry& entry, const QStringList& attachments);
    /// The same for a batch of statements whose files are made durable together: all PDFs,
    /// archive copies and requests, then all claims, then all hand-offs. A statement that fails on
    /// its own data is set aside and the batch goes on when `goOnAfterRefusal`, else it ends the
    /// batch like any other error: what was prepared before is still handed off, then the error
    /// is raised. Results in the order taken; a batch may stop early and leave the rest for the
    /// next look (a second statement of one account). Where the file system allows, the statements
    /// are read and their PDFs written on all cores; every other step is taken in order here.
    std::vector<MailedStatement> mail(const std::vector<platform::FolderEntry>& batch,
                                      const QStringList& attachments, bool goOnAfterRefusal);
    /// Skips the statement until its size or modification time change.
    void setAside(const platform::FolderEntry& entry);

    /// Finishes every statement that a run known to be dead claimed and did not finish: takes
    /// its claim over, and unless its request was handed off renders it again, files it and hands
    /// its request off. With `clearGarbage`, also removes what dead runs wrote and never claimed
    /// (a reading of the out and store folders: at the start of a hold, not at every look).
    std::vector<MailedStatement> recover(bool clearGarbage = true);

    /// The statement the last call's error concerns, in the temp folder; empty when none.
    const QString& failedStatement() const { return current_; }
    /// Where that statement is now.
    StatementPlace statementPlace();

private:
    /// One statement of a batch on its way: read, decided on, its PDF staged, its request bound.
    struct Prepared {
        platform::FolderEntry entry;
        QString statement;  ///< temp\<name>
        std::optional<platform::FileStamp> detailLooked;  ///< the detail file as the look saw it
        /// What was decided once it was read: taken now, or why not.
        enum class Decision { Take, Changed, Waits, NextBatch } decision = Decision::Take;
        QString waitsFor;     ///< the request of another letter case it waits for
        QString destination;  ///< its request in the in folder, case-folded, once checked to be mailed
        std::exception_ptr error;  ///< what reading or writing it raised
        input::StatementValues values;
        handoff::Attempt attempt;
        /// The SHA-256 of the staged PDF's kept bytes, made on the worker that wrote them, so that
        /// the hand-off's one thread, which every statement waits for, finds it made.
        std::shared_ptr<const std::string> hashed;
        QString sha256;
        MailedStatement result;
    };
    struct Batch;

    std::vector<MailedStatement> mailBatch(const std::vector<platform::FolderEntry>& batch,
                                           const QStringList& attachments, bool goOnAfterRefusal);
    /// Tells the observer the error being raised, where the statement it concerns is now.
    void tellFailure();
    QString tempFolder() const;
    /// The statement file's path with its name as the bytes lie on disk.
    QString onDisk(const platform::FolderEntry& entry) const;
    MailedStatement requeue(const platform::FolderEntry& entry, MailedStatement result);
    /// Sets a statement aside for `why` and tells the observer.
    MailedStatement refuse(const platform::FolderEntry& entry, std::exception_ptr why);
    /// Lists the tempdet folder for the look, unless no statement waits.
    void listDetails(bool none);
    /// A detail file as the look's listing found it.
    std::optional<platform::FileStamp> listedDetail(const QString& detail) const;
    /// The statement files of the temp folder, but those set aside and unchanged since.
    std::vector<platform::FolderEntry> listWaiting(const QString& temp);
    /// Whether a statement and its detail file stood still for the settle time and nobody writes
    /// them; notes both as present and gives the detail file's stamp.
    bool hasSettled(const QString& temp, const platform::FolderEntry& entry, qint64 now, QSet<QString>& present,
                    std::optional<platform::FileStamp>& detailStamp);
    /// Reads one statement, decides on it, and when it is taken now writes its staged PDF with
    /// `job`; what it raises goes to p.error. Touches nothing else of the mailer, so workers may
    /// call it at once. With `requests`, a second statement of an account is found before its PDF
    /// is written.
    void render(Prepared& p, StatementJob& job, const QSet<QString>* requests);
    /// Whether a statement read is taken now, and why not; raises its refusal. Writes nothing.
    Prepared::Decision decide(Prepared& p, const input::StatementValues& values, const QSet<QString>* requests);
    /// Writes the staged PDF of a statement taken now.
    void stage(Prepared& p, const input::StatementFile& file, StatementJob& job);
    /// Takes a rendered statement on, in batch order: raises its error, writes its request; false
    /// when it must wait for the next batch.
    bool finish(Prepared& p, const QStringList& attachments, QSet<QString>& requests);
    /// Renders the statements from `first` on with one worker per core.
    void renderTogether(std::vector<Prepared>& batch, size_t first);
    /// Refuses a statement whose document would land on another statement's file.
    void checkCaseTwins(const platform::FolderEntry& entry, const QString& pdf, const QString& archiveFolder);
    /// Renders (unless workers did) and takes one statement of a batch on, setting aside what
    /// fails on its own data when `goOnAfterRefusal`; false when the batch ends before it.
    bool takeOn(Prepared& p, bool rendered, const QStringList& attachments, bool goOnAfterRefusal,
                QSet<QString>& requests, std::vector<MailedStatement>& results, std::vector<Prepared>& prepared,
                std::exception_ptr& error);
    /// Claims, publishes and hands off the statements of a batch, each step durable before the
    /// next; raises the first error once the others are handed off.
    void handOffAll(std::vector<Prepared>& prepared);
    /// Tells the observer how an attempt ended.
    void tell(const handoff::Attempt& a);
    void afterHandOff(std::vector<Prepared>& prepared);
    /// What became of an attempt; `p`, its statement of this run's batch, when it is one.
    static MailedStatement resultOf(const handoff::Attempt& a, MailedStatement result, const Prepared* p = nullptr);
    /// Removes what the run wrote for a statement it does not hand off.
    void dropWritten(const Prepared& p);

    const input::modBrevix& settings_;
    platform::FileSystem& fs_;
    handoff::StoreSession& session_;
    StatementObserver& observer_;
    std::unique_ptr<pdf::RenderCache> cache_;
    StatementJob job_;
    StatementDocuments documents_;
    handoff::Handoff handoff_;
    /// The statements of the batch being handed off, by their attempt.
    QHash<const handoff::Attempt*, Prepared*> handingOff_;
    handoff::SettleWatch settle_;
    handoff::SteadyClock clock_;
    QHash<QByteArray, platform::FileStamp> setAside_;
    /// The detail file of each statement of the last look, as it stood then.
    QHash<QByteArray, std::optional<platform::FileStamp>> detailSeen_;
    /// The tempdet folder as the last look listed it.
    QHash<QString, platform::FileStamp> detailsListed_;
    /// The same by case-folded name: a detail file in another letter case is found at once.
    QHash<QString, platform::FileStamp> detailsFolded_;
    bool settling_ = false;
    QStringList leftBehind_;
    /// The statement the call in hand concerns, for its error's message.
    QString current_;
};

}  // namespace run
