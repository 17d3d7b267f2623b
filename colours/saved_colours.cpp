#include "colours/saved_colours.h"

#include "platform/error.h"
#include "platform/operator_prompt.h"
#include "settings/colour_value.h"
#include "settings/settings_store.h"

namespace huevane {

int32_t SavedColours::readOne(const settings::Key& key, int32_t fallback)
{
    const QString text = store_.get(key, settings::formatColour(fallback));
    try {
        return settings::parseColour(text);
    } catch (const platform::Error& e) {
        prompt_.message(QStringLiteral("The stored colour %1, \"%2\", cannot be read (%3). "
                                       "The default %4 is used instead.")
                            .arg(QString::fromLatin1(key.name), text, e.description(),
                                 settings::formatColour(fallback)),
                        QStringLiteral("Huevane"));
        return fallback;
    }
}

DocumentColours SavedColours::read()
{
    const DocumentColours d = DocumentColours::defaults();
    DocumentColours c;
    c.ForeGroundColor = readOne(settings::ForeGroundColor, d.ForeGroundColor);
    c.BackGroundColor = readOne(settings::BackGroundColor, d.BackGroundColor);
    c.InvoiceShade = readOne(settings::InvoiceShade, d.InvoiceShade);
    c.ForeGroundColorSTMT = readOne(settings::ForeGroundColorSTMT, d.ForeGroundColorSTMT);
    c.BackGroundColorSTMT = readOne(settings::BackGroundColorSTMT, d.BackGroundColorSTMT);
    c.StmtShade = readOne(settings::StmtShade, d.StmtShade);
    return c;
}

std::vector<SavedColours::Write> SavedColours::writesFor(const DocumentColours& c)
{
    using settings::formatColour;
    return {
        {settings::ForeGroundColor, formatColour(c.ForeGroundColor)},
        {settings::BackGroundColor, formatColour(c.BackGroundColor)},
        {settings::InvoiceShade, formatColour(c.InvoiceShade)},
        {settings::ForeGroundColorSTMT, formatColour(c.ForeGroundColorSTMT)},
        {settings::BackGroundColorSTMT, formatColour(c.BackGroundColorSTMT)},
        {settings::StmtShade, formatColour(c.StmtShade)},
    };
}

void SavedColours::write(const DocumentColours& colours)
{
    for (const Write& w : writesFor(colours))
        store_.save(w.key, w.text);
}

}  // namespace huevane
