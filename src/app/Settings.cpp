#include "Settings.h"

namespace brindlecast {

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const SettingsStore store(app, section, SettingsStore::Access::Read);
    if (!store.usable())
        return defaultValue;
    return store.text(key).value_or(defaultValue);
}

bool SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value) {
    SettingsStore store(app, section, SettingsStore::Access::Write);
    if (!store.usable())
        return false;
    // Start-up writes every restored value back; a value already stored needs no rewrite.
    if (store.holds(key, value))
        return true;
    return store.write(key, value);
}

} // namespace brindlecast
