#pragma once
#include "colours/document_colours.h"
#include "settings/settings_keys.h"

#include <QString>
#include <vector>

namespace platform {
class OperatorPrompt;
}
namespace settings {
class SettingsStore;
}

namespace huevane {

/// The six colour keys in the settings store, read at start and written at close.
class SavedColours {
public:
    struct Write {
        settings::Key key;
        QString text;
    };

    SavedColours(settings::SettingsStore& store, platform::OperatorPrompt& prompt)
        : store_(store), prompt_(prompt)
    {
    }

    /// Reads the keys in their fixed order with Huevane's defaults. A stored text that is not a
    /// 32-bit number is named to the operator, once, and that key's default is used instead.
    DocumentColours read();

    /// Writes all six keys, changed or not. Raises platform::Error when the store cannot be written.
    void write(const DocumentColours& colours);

    /// The keys and texts that `write` stores, in the order it stores them.
    static std::vector<Write> writesFor(const DocumentColours& colours);

private:
    int32_t readOne(const settings::Key& key, int32_t fallback);

    settings::SettingsStore& store_;
    platform::OperatorPrompt& prompt_;
};

}  // namespace huevane
