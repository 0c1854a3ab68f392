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

/// Points TEMP, HOME and XDG_CONFIG_HOME at folders of a fresh temporary folder for as long as
/// it lives, and puts the variables back afterwards, so that no test sees another's files or the
/// user's real settings.
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
};

/// A test in its own private folders (see PrivateFolders).
class Isolated : public ::testing::Test {
protected:
    // The folders are made in the constructor, not in SetUp(), so that derived fixtures'
    // constructors already work in them rather than in whatever TEMP the test program inherited.
    QString root(const QString& name = {}) const { return mFolders.root(name); }
    QString temp(const QString& name = {}) const { return mFolders.temp(name); }

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
