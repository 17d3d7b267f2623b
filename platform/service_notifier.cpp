#include "platform/service_notifier.h"

#include <systemd/sd-daemon.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>

namespace platform {
namespace {

constexpr qint64 kStatusRepeatMs = 60 * 1000;

}  // namespace

ServiceNotifier::ServiceNotifier(Send send, Clock now) : send_(std::move(send)), now_(std::move(now)) {}

ServiceNotifier ServiceNotifier::fromEnvironment()
{
    const char* socket = std::getenv("NOTIFY_SOCKET");
    if (!socket || !*socket)
        return {};
    return ServiceNotifier([](const std::string& state) { sd_notify(0, forServiceManager(state).c_str()); },
                           [] { return QDateTime::currentDateTime(); });
}

void ServiceNotifier::waiting(const QString& folder, const QString& missing)
{
    if (!send_ || (!watching_ && folder == folder_ && missing == missing_ && statusSent_.isValid()))
        return;
    watching_ = false;
    folder_ = folder;
    missing_ = missing;
    sendStatus(now_());
    ready();
}

void ServiceNotifier::watching(const QString& folder)
{
    if (!send_ || (watching_ && folder == folder_))
        return;
    watching_ = true;
    folder_ = folder;
    sendStatus(now_());
    ready();
}

void ServiceNotifier::ready()
{
    if (!ready_)
        send_("READY=1");
    ready_ = true;
}

void ServiceNotifier::archiveProblem(const QString& cause)
{
    if (!send_ || cause == archiveProblem_)
        return;
    archiveProblem_ = cause;
    sendStatus(now_());
}

void ServiceNotifier::mailSenderProblem(const QString& warning)
{
    if (!send_ || warning == mailSenderProblem_)
        return;
    mailSenderProblem_ = warning;
    sendStatus(now_());
}

void ServiceNotifier::filed(const QString& pdfName, bool mailed)
{
    count(mailed ? mailed_ : unmailed_, pdfName, QStringLiteral(" at "));
    keepAlive();
}

void ServiceNotifier::setAside(const QString& name)
{
    count(setAside_, name, QStringLiteral(" set aside at "));
}

void ServiceNotifier::count(int& counter, const QString& path, const QString& what)
{
    if (!send_)
        return;
    const QDateTime now = now_();
    rollOverDay(now);
    ++counter;
    last_ = path.section(QLatin1Char('\\'), -1) + what + now.toString(QStringLiteral("HH:mm:ss"));
    sendStatus(now);
}

void ServiceNotifier::idle()
{
    keepAlive();
    if (!send_)
        return;
    const QDateTime now = now_();
    if (!statusSent_.isValid() || statusSent_.msecsTo(now) >= kStatusRepeatMs || now.date() != day_)
        sendStatus(now);
}

void ServiceNotifier::rollOverDay(const QDateTime& now)
{
    if (now.date() == day_)
        return;
    day_ = now.date();
    mailed_ = unmailed_ = setAside_ = 0;
}

void ServiceNotifier::sendStatus(const QDateTime& now)
{
    rollOverDay(now);
    if (watching_) {
        status_ = QStringLiteral("watching %1: %2 mailed today").arg(folder_).arg(mailed_);
        if (unmailed_ > 0)
            status_ += QStringLiteral(", %1 filed without mail").arg(unmailed_);
        status_ += QStringLiteral(", %1 set aside").arg(setAside_);
        if (!last_.isEmpty())
            status_ += QStringLiteral(", last ") + last_;
        if (!archiveProblem_.isEmpty())
            status_ += QStringLiteral("; warning: no archive copies, ") + archiveProblem_;
        if (!mailSenderProblem_.isEmpty())
            status_ += QStringLiteral("; warning: ") + mailSenderProblem_;
    } else {
        status_ = QStringLiteral("waiting for %1: %2").arg(folder_, missing_);
    }
    send_("STATUS=" + status_.toStdString());
    statusSent_ = now;
}

std::string forServiceManager(const std::string& state)
{
    std::string escaped;
    escaped.reserve(state.size() + 8);
    for (char c : state) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

void keepAlive()
{
    // Read once: the interval the service manager expects a ping within, 0 without a watchdog.
    static const std::int64_t intervalUs = [] {
        std::uint64_t usec = 0;
        return sd_watchdog_enabled(0, &usec) > 0 ? static_cast<std::int64_t>(usec) : 0;
    }();
    static std::atomic<std::int64_t> lastUs{INT64_MIN / 2};
    if (intervalUs <= 0)
        return;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    std::int64_t last = lastUs.load(std::memory_order_relaxed);
    if (now - last < intervalUs / 4 || !lastUs.compare_exchange_strong(last, now))
        return;
    sd_notify(0, "WATCHDOG=1");
}

void notifyStopping()
{
    sd_notify(0, "STOPPING=1");
}

}  // namespace platform
