#pragma once
#include "settings/settings_keys.h"

#include <QString>

namespace settings {

/// The per-user settings store: (application, section, key) to text, kept as one INI file per
/// application under $XDG_CONFIG_HOME/Torvik. A section's backslash separates nested groups, so
/// a hand-written [eStatements\Settings] section is read the same way.
class SettingsStore {
public:
    /// Uses the user's configuration folder.
    SettingsStore();
    /// Keeps the files in `folder` (for tests and tools).
    explicit SettingsStore(QString folder);

    /// The stored text, or `fallback` when the key is missing.
    QString get(const Key& key, const QString& fallback) const;
    /// Stores the text, creating application, section and key as needed. Merges with what other
    /// processes saved meanwhile. Raises platform::Error when the store cannot be written.
    void save(const Key& key, const QString& value);

    /// The INI file of an application.
    QString fileOf(const char* application) const;

private:
    QString folder_;
};

}  // namespace settings
