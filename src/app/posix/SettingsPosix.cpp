// The settings store on a POSIX system: one INI file per application in the user's config folder,
// a group per section.
#include "app/Settings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace brindlecast {

namespace {

QString settingsFilePath(const QString& app) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + app + QStringLiteral(".ini");
}

// Only a regular file (or none yet) can be a store: opening a FIFO blocks until someone writes
// to it, and a device or a folder is nothing to read settings from.
bool usableStore(const QString& path) {
    const QFileInfo store(path);
    return !store.exists() || store.isFile();
}

} // namespace

struct SettingsStore::Store {
    QString path;
    QString section;
    std::optional<QSettings> settings;

    QString keyPath(const QString& key) const { return section + QLatin1Char('/') + key; }
};

SettingsStore::SettingsStore(const QString& app, const QString& section, Access)
    : mStore(std::make_unique<Store>()) {
    mStore->path = settingsFilePath(app);
    mStore->section = section;
    if (usableStore(mStore->path))
        mStore->settings.emplace(mStore->path, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::usable() const {
    return mStore->settings.has_value();
}

std::optional<QString> SettingsStore::text(const QString& key) const {
    const QVariant value = mStore->settings->value(mStore->keyPath(key));
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited value with an unquoted comma reads back as a list; it was one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingsStore::holds(const QString& key, const QString& value) const {
    const QVariant stored = mStore->settings->value(mStore->keyPath(key));
    return stored.typeId() == QMetaType::QString && stored.toString() == value &&
           mStore->settings->status() == QSettings::NoError;
}

bool SettingsStore::write(const QString& key, const QString& value) {
    // Flushed to the file before returning: a value only in this process's memory would be lost
    // with it.
    mStore->settings->setValue(mStore->keyPath(key), value);
    mStore->settings->sync();
    const QSettings::Status status = mStore->settings->status();
    mStore->settings.reset();
    // A file that did not parse keeps reporting a format error although the rewrite, which drops
    // the unreadable lines, went through; the value read back tells.
    if (status == QSettings::FormatError)
        return QSettings(mStore->path, QSettings::IniFormat).value(mStore->keyPath(key)) == value;
    return status == QSettings::NoError;
}

QString SettingsStoreName(const QString& app, const QString&) {
    return QStringLiteral("the settings file ") + settingsFilePath(app);
}

} // namespace brindlecast
