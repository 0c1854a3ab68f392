#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

namespace brindlecast::testing {

/// Keeps a test's settings store to itself for as long as it lives. On POSIX systems the settings
/// file follows XDG_CONFIG_HOME, which PrivateFolders points at its own folder; on Windows
/// HKEY_CURRENT_USER is pointed at a registry key of the test's own, deleted afterwards
/// (support/posix/PrivateSettingsStore.cpp, support/windows/PrivateSettingsStore.cpp).
class PrivateSettingsStore {
public:
    explicit PrivateSettingsStore(QString configFolder);
    ~PrivateSettingsStore();
    PrivateSettingsStore(const PrivateSettingsStore&) = delete;
    PrivateSettingsStore& operator=(const PrivateSettingsStore&) = delete;

    /// Makes the store of `app`'s `section` refuse every write (even by root or an
    /// administrator), while what it holds can still be read where the system allows.
    void makeUnwritable(const QString& app, const QString& section);
    /// Where HKEY_CURRENT_USER of the test really is, as "HKCU\..." (Windows only).
    QString registryRoot() const { return mRegistryRoot; }

private:
    QString mConfigFolder;
    QString mRegistryRoot;
};

/// Points TEMP, HOME and XDG_CONFIG_HOME at folders of a fresh temporary folder for as long as
/// it lives, and puts the variables back afterwards, and keeps the settings store private (see
/// PrivateSettingsStore), so that no test sees another's files or the user's real settings.
class PrivateFolders {
public:
    PrivateFolders() {
        if (!mRoot.isValid())
            throw std::runtime_error("no temporary folder");
        for (const char* name : {"temp", "home", "config"})
            QDir().mkpath(mRoot.filePath(QLatin1String(name)));
        set("TEMP", QFile::encodeName(temp()));
        set("HOME", QFile::encodeName(root("home")));
        set("XDG_CONFIG_HOME", QFile::encodeName(root("config")));
    }
    ~PrivateFolders() {
        for (auto entry = mSaved.rbegin(); entry != mSaved.rend(); ++entry) {
            if (entry->second)
                qputenv(entry->first.constData(), *entry->second);
            else
                qunsetenv(entry->first.constData());
        }
    }
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;

    QString root(const QString& name = {}) const {
        return name.isEmpty() ? mRoot.path() : mRoot.filePath(name);
    }
    QString temp(const QString& name = {}) const {
        return root(QStringLiteral("temp")) + (name.isEmpty() ? QString() : '/' + name);
    }
    PrivateSettingsStore& settings() { return mSettings; }
    /// Sets one more variable, put back with the others.
    void set(const char* name, const QByteArray& value) {
        mSaved.emplace_back(name, qEnvironmentVariableIsSet(name)
                                      ? std::optional<QByteArray>(qgetenv(name))
                                      : std::nullopt);
        qputenv(name, value);
    }

private:
    QTemporaryDir mRoot;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> mSaved;
    PrivateSettingsStore mSettings{mRoot.filePath(QStringLiteral("config"))};
};

/// A test in its own private folders (see PrivateFolders).
class Isolated : public ::testing::Test {
protected:
    // The folders are made in the constructor, not in SetUp(), so that derived fixtures'
    // constructors already work in them rather than in whatever TEMP the test program inherited.
    QString root(const QString& name = {}) const { return mFolders.root(name); }
    QString temp(const QString& name = {}) const { return mFolders.temp(name); }
    PrivateSettingsStore& settings() { return mFolders.settings(); }

    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void writeAll(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private:
    PrivateFolders mFolders;
};

} // namespace brindlecast::testing
