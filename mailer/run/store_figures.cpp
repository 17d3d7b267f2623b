#include "mailer/run/store_figures.h"

#include "settings/settings_keys.h"

#include <QFileInfo>
#include <QSaveFile>

namespace run {

StoreFigures::StoreFigures(QString folder, QString server, QString store, Clock now)
    : folder_(std::move(folder)), server_(std::move(server)), store_(std::move(store)), now_(std::move(now))
{
}

void StoreFigures::filed(const MailedStatement& done)
{
    ++(done.mailed ? mailed_ : unmailed_);
    lastFiled_ = now_();
    changed_ = true;
}

QString StoreFigures::path() const
{
    return folder_ + QStringLiteral("/brevix_%1_%2.prom").arg(server_, store_);
}

QString StoreFigures::text(const StoreState& state) const
{
    // Server names and store numbers are plain names: nothing in them needs escaping in a label.
    const QString labels = QStringLiteral("server=\"%1\",store=\"%2\"").arg(server_, store_);
    QString t;
    const auto metric = [&](const char* name, const char* type, const char* help) {
        t += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n").arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
    };
    const auto value = [&](const char* name, const QString& extra, double v) {
        t += QStringLiteral("%1{%2%3} %4\n").arg(QLatin1String(name), labels, extra, QString::number(v, 'g', 16));
    };
    metric("brevix_statements_total", "counter", "Statements handled since the run started, by outcome.");
    value("brevix_statements_total", QStringLiteral(",outcome=\"mailed\""), mailed_);
    value("brevix_statements_total", QStringLiteral(",outcome=\"filed_without_mail\""), unmailed_);
    value("brevix_statements_total", QStringLiteral(",outcome=\"set_aside\""), setAside_);
    value("brevix_statements_total", QStringLiteral(",outcome=\"failed\""), failed_);
    metric("brevix_statements_waiting", "gauge", "Statement files in the store's temp folder.");
    value("brevix_statements_waiting", {}, state.waitingInTemp);
    metric("brevix_requests_waiting", "gauge", "Mail requests in the in folder, not yet taken by the mail sender.");
    value("brevix_requests_waiting", {}, state.requestsInIn);
    metric("brevix_oldest_request_age_seconds", "gauge",
           "How long the oldest request has waited in the in folder, since this run first saw it.");
    value("brevix_oldest_request_age_seconds", {}, double(state.oldestRequestAgeMs) / 1000);
    metric("brevix_last_filed_timestamp_seconds", "gauge",
           "When this run last filed a statement, in seconds since 1970; 0 before its first.");
    value("brevix_last_filed_timestamp_seconds", {},
          lastFiled_.isValid() ? double(lastFiled_.toMSecsSinceEpoch()) / 1000 : 0);
    metric("brevix_holds_store", "gauge", "1 while this run holds the store, 0 while another run does.");
    value("brevix_holds_store", {}, state.holdsStore ? 1 : 0);
    return t;
}

std::optional<QString> StoreFigures::write(const std::function<StoreState()>& state, bool now)
{
    const QDateTime at = now_();
    const qint64 since = written_.isValid() ? written_.msecsTo(at) : kWriteEveryMs;
    if (folder_.isEmpty() || (!now && since < (changed_ ? kChangeAfterMs : kWriteEveryMs)))
        return std::nullopt;
    written_ = at;
    changed_ = false;
    QSaveFile file(path());
    file.setDirectWriteFallback(false);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text(state()).toUtf8());
        // The collector reads what others may read.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                            | QFileDevice::ReadOther);
        if (file.commit())
            return QString();
    }
    return QStringLiteral("The figures for monitoring cannot be written to %1: %2. Give this run's user write access "
                          "to %3, or name another folder as Settings\\MetricsFolder.")
        .arg(path(), file.errorString(), folder_);
}

QString figuresFolder(const QString& setting, bool service)
{
    if (!setting.isNull())
        return setting.trimmed();
    // A watch started by hand does not write into the machine's monitoring unless told to.
    if (!service)
        return {};
    const QString folder = QString::fromLatin1(settings::kDefaultMetricsFolder);
    return QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace run
