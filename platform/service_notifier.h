#pragma once
#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

namespace platform {

/// Tells the service manager what a watch run does: READY=1 at the first status (the boot never
/// waits for a share), a STATUS= line after every statement and every idle minute, the watchdog,
/// STOPPING=1.
/// Default-constructed, or without NOTIFY_SOCKET, it sends nothing.
class ServiceNotifier {
public:
    using Send = std::function<void(const std::string&)>;
    using Clock = std::function<QDateTime()>;

    ServiceNotifier() = default;
    ServiceNotifier(Send send, Clock now);
    /// Sends through sd_notify when the service manager gave a socket.
    static ServiceNotifier fromEnvironment();

    /// The folder cannot be reached: STATUS says what is missing. Like `watching`, sends only
    /// what changed, and READY=1 the first time.
    void waiting(const QString& folder, const QString& missing);
    /// The folder was reached: READY=1 (the first time only) and the counts.
    void watching(const QString& folder);
    void filed(const QString& pdfName, bool mailed);
    /// A statement was left in the temp folder for a person to look at; the run goes on.
    void setAside(const QString& name);
    /// The archive copies fail for `cause` (empty: they are made again); the status says so.
    void archiveProblem(const QString& cause);
    /// The mail sender does not take the requests (`warning`, empty once it takes them again).
    void mailSenderProblem(const QString& warning);
    /// Between two polls: feeds the watchdog and repeats the STATUS once a minute.
    void idle();

    /// Whether a service manager listens: the run is a service.
    bool active() const { return bool(send_); }
    /// The last STATUS text.
    const QString& status() const { return status_; }

private:
    void ready();
    /// One more statement of a kind: the count, the last statement and the status.
    void count(int& counter, const QString& path, const QString& what);
    void rollOverDay(const QDateTime& now);
    void sendStatus(const QDateTime& now);

    Send send_;
    Clock now_;
    bool ready_ = false;
    bool watching_ = false;
    QString folder_;
    QString missing_;
    QDate day_;
    int mailed_ = 0;
    int unmailed_ = 0;
    int setAside_ = 0;
    QString last_;
    QString archiveProblem_;
    QString mailSenderProblem_;
    QString status_;
    QDateTime statusSent_;
};

/// A notification as the service manager's parser reads it back as written: systemd 252 takes
/// a backslash as an escape, so "\\statsrv" would show as "statsrv".
std::string forServiceManager(const std::string& state);

/// Feeds the service manager's watchdog. Cheap enough to call between two pages: it sends at
/// most four times per watchdog interval, and nothing outside a service with WatchdogSec=.
void keepAlive();

/// Tells the service manager that the program is ending; nothing outside a service.
void notifyStopping();

}  // namespace platform
