#pragma once
#include "mailer/run/statement_observer.h"
#include "platform/local_clock.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace run {

/// What the run knows of its store beside the statements it handled, at the moment the figures
/// are written.
struct StoreState {
    int waitingInTemp = 0;
    int requestsInIn = 0;
    qint64 oldestRequestAgeMs = 0;
    bool holdsStore = false;
};

/// The store's figures for monitoring, in the Prometheus text format that the node exporter's
/// text-file collector reads: statements by outcome since the run started, what waits in the
/// temp and in folders, when the last statement was filed, whether this run holds the store.
/// One file per store in `folder`, written whole (a temporary name, then a rename), so a scrape
/// never reads half of it.
class StoreFigures : public StatementObserver {
public:
    using Clock = std::function<QDateTime()>;
    static constexpr qint64 kWriteEveryMs = 10 * 1000;
    /// A statement handled is written sooner, but not for every one of a batch.
    static constexpr qint64 kChangeAfterMs = 1000;

    StoreFigures(QString folder, QString server, QString store, Clock now = &platform::localNow);

    void filed(const MailedStatement& done) override;
    void recovered(const MailedStatement& done) override { filed(done); }
    void setAside(const MailedStatement&) override
    {
        ++setAside_;
        changed_ = true;
    }
    void failed(const RunFailure&) override
    {
        ++failed_;
        changed_ = true;
    }

    /// The file the figures go to: <folder>/brevix_<server>_<store>.prom.
    QString path() const;
    /// The figures as the file holds them.
    QString text(const StoreState& state) const;
    /// Writes the file when kWriteEveryMs passed since the last write, kChangeAfterMs when a
    /// statement was handled since, or `now`: nothing when it was not due, else why the write
    /// failed, empty when it worked.
    std::optional<QString> write(const std::function<StoreState()>& state, bool now = false);

private:
    const QString folder_;
    const QString server_;
    const QString store_;
    Clock now_;
    int mailed_ = 0;
    int unmailed_ = 0;
    int setAside_ = 0;
    int failed_ = 0;
    QDateTime lastFiled_;
    QDateTime written_;
    bool changed_ = false;
};

/// Where the figures go: "MetricsFolder" (empty: nowhere), or for a service the text-file
/// collector's folder of Debian's node exporter where it exists; empty for none.
QString figuresFolder(const QString& setting, bool service);

}  // namespace run
