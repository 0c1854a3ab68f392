#include "Settings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace brindlecast {

QString SettingsFilePath(const QString& app) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + app + QStringLiteral(".ini");
}

// Only a regular file (or none yet) can be a store: opening a FIFO blocks until someone writes
// to it, and a device or a folder is nothing to read settings from.
static bool usableStore(const QString& path) {
    const QFileInfo store(path);
    return !store.exists() || store.isFile();
}

static QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QString path = SettingsFilePath(app);
    if (!usableStore(path))
        return defaultValue;
    const QSettings store(path, QSettings::IniFormat);
    const QVariant value = store.value(keyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // A hand-edited value with an unquoted comma reads back as a list; it was one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value) {
    const QString path = SettingsFilePath(app);
    if (!usableStore(path))
        return false;
    QSettings::Status status;
    {
        QSettings store(path, QSettings::IniFormat);
        // Start-up writes every restored value back; a value already stored needs no rewrite of
        // the file.
        const QVariant stored = store.value(keyPath(section, key));
        if (stored.typeId() == QMetaType::QString && stored.toString() == value &&
            store.status() == QSettings::NoError)
            return true;
        store.setValue(keyPath(section, key), value);
        store.sync();
        status = store.status();
    }
    // A file that did not parse keeps reporting a format error although the rewrite, which drops
    // the unreadable lines, went through; the value read back tells.
    if (status == QSettings::FormatError)
        return QSettings(path, QSettings::IniFormat).value(keyPath(section, key)) == value;
    return status == QSettings::NoError;
}

} // namespace brindlecast
