#include "mailer/run/startup_settings.h"

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

void saveConnection(settings::SettingsStore& store, const input::modBrevix& run)
{
    store.save(settings::Host, run.ServerName);
    store.save(settings::Directory, run.StoreNumber);
}

}  // namespace run
