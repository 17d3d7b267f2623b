#pragma once
#include "mailer/run/statement_observer.h"
#include "platform/local_clock.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace platform {
class FileSystem;
class LineFile;
}  // namespace platform

namespace run {

/// One line of a store's delivery record: what became of one statement, where and when.
struct DeliveryLine {
    QDateTime time;
    QString workstation;
    QString run;
    QString statement;    ///< the statement file's bare name
    QString account;
    QString mailTo;
    QString pdf;          ///< the PDF's bare name
    QString archiveCopy;  ///< empty when none was made
    QString sha256;       ///< of the PDF as filed (its archive copy where there is one)
    QString request;      ///< the request's bare name in the in folder, when mailed
    QString outcome;      ///< mailed, filed without mail, set aside, recovered
    QString note;         ///< why it was set aside, why it has no archive copy

    /// The tab-separated fields, in the order above, without a line end.
    QString text() const;
    /// A line of the record read back; nothing when it is not one (damaged).
    static std::optional<DeliveryLine> parse(const QString& text);
};

/// The SHA-256 of a statement's PDF as filed (its archive copy where there is one), in hex;
/// empty when it cannot be read.
QString sha256OfFiled(platform::FileSystem& fs, const MailedStatement& done);

/// The record file of a run for a day, "2026-11-30.<run>.txt", and the day a name gives.
QString recordFileName(const QDate& day, const QString& runId);
QDate recordDay(const QString& name);

/// Writes each statement's outcome as one line of the store's record on the share, so that it
/// outlives the workstation: in a file of this run's own for each day (no file is ever written by
/// two runs), kept open and written a line at a time, since through smbnetfs an open for append
/// fails and leaves the mount failing. A record that cannot be written is warned about once per
/// cause and never stops the statements.
class DeliveryRecord : public StatementObserver {
public:
    using Clock = std::function<QDateTime()>;
    using Warn = std::function<void(const QString&)>;

    DeliveryRecord(platform::FileSystem& fs, QString folder, QString workstation, QString runId, Warn warn,
                   Clock now = &platform::localNow);
    ~DeliveryRecord() override;

    void filed(const MailedStatement& done) override;
    void recovered(const MailedStatement& done) override;
    void setAside(const MailedStatement& done) override;

    /// Removes the record files of days more than `keepDays` before today; does its work at the
    /// first call of each day only. For the run that holds the store.
    void prune(int keepDays);

private:
    void write(const MailedStatement& done, const QString& outcome, const QString& note);
    QString sha256Of(const MailedStatement& done);
    void warnOnce(const QString& cause);

    platform::FileSystem& fs_;
    const QString folder_;
    const QString workstation_;
    const QString runId_;
    Warn warn_;
    Clock now_;
    std::unique_ptr<platform::LineFile> file_;
    QDate fileDay_;
    QDate pruned_;
    QString problem_;
};

}  // namespace run
