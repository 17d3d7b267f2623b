#include "mailer/run/startup_settings.h"

#include "mailer/handoff/name_check.h"
#include "settings/colour_value.h"
#include "settings/settings_store.h"

namespace run {

void readStatementColours(const settings::SettingsStore& store, input::modBrevix& run)
{
    namespace d = settings::brevix_default;
    auto read = [&](const settings::Key& key, int32_t fallback) {
        return settings::parseColour(store.get(key, QString::number(fallback)));
    };
    run.StmtForeColor = read(settings::ForeGroundColorSTMT, d::ForeGroundColorSTMT);
    run.StmtBackColor = read(settings::BackGroundColorSTMT, d::BackGroundColorSTMT);
    run.StmtShadeColor = read(settings::StmtShade, d::StmtShade);
}

void readConnection(const settings::SettingsStore& store, input::modBrevix& run)
{
    run.ServerName = store.get(settings::Host, QString::fromLatin1(settings::kDefaultHost));
    run.StoreNumber = store.get(settings::Directory, QString::fromLatin1(settings::kDefaultDirectory));
}

QString connectionProblem(const input::modBrevix& run)
{
    // Each becomes a folder name on the share: a '/' or ".." would lead the run elsewhere.
    const QString rule = QStringLiteral(" may hold only letters, digits, '-', '_' and '.'.");
    if (!handoff::isPlainName(run.ServerName))
        return QStringLiteral("The server name \"%1\"").arg(run.ServerName) + rule;
    if (!handoff::isPlainName(run.StoreNumber))
        return QStringLiteral("The store number \"%1\"").arg(run.StoreNumber) + rule;
    return {};
}

QString serverNotSet(const settings::SettingsStore& store)
{
    if (!store.get(settings::Host, QString()).trimmed().isEmpty())
        return {};
    return QStringLiteral("No statement server is set: write its name as Settings\\Host=NAME under [eStatements] in "
                          "%1, or give --server=NAME.")
        .arg(store.fileOf(settings::Host.application));
}

qint64 readSettleMs(const settings::SettingsStore& store)
{
    bool ok = false;
    const qint64 ms = store.get(settings::SettleMs, QString::number(settings::kDefaultSettleMs)).trimmed().toLongLong(&ok);
    return ok && ms >= 0 ? ms : settings::kDefaultSettleMs;
}

int readHistoryDays(const settings::SettingsStore& store)
{
    bool ok = false;
    const int days = store.get(settings::HistoryDays, QString()).trimmed().toInt(&ok);
    return ok && days >= 1 ? days : settings::kDefaultHistoryDays;
}

void saveConnection(settings::SettingsStore& store, const input::modBrevix& run)
{
    store.save(settings::Host, run.ServerName);
    store.save(settings::Directory, run.StoreNumber);
}

}  // namespace run
