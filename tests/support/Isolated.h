#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brindlecast::testing {

/// Gives each test its own temporary, home and settings folders, so no test sees another's
/// files or the user's real settings.
class Isolated : public ::testing::Test {
protected:
    // Made in the constructor, not in SetUp(), so that derived fixtures' constructors already
    // work in the private folders rather than in whatever TEMP the test program inherited.
    Isolated() {
        EXPECT_TRUE(mRoot.isValid());
        mTemp = mRoot.filePath(QStringLiteral("temp"));
        QDir().mkpath(mTemp);
        QDir().mkpath(mRoot.filePath(QStringLiteral("home")));
        QDir().mkpath(mRoot.filePath(QStringLiteral("config")));
        qputenv("TEMP", QFile::encodeName(mTemp));
        qputenv("HOME", QFile::encodeName(mRoot.filePath(QStringLiteral("home"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(mRoot.filePath(QStringLiteral("config"))));
    }

    QString root(const QString& name = {}) const {
        return name.isEmpty() ? mRoot.path() : mRoot.filePath(name);
    }
    QString temp(const QString& name = {}) const {
        return name.isEmpty() ? mTemp : mTemp + QLatin1Char('/') + name;
    }

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
    QTemporaryDir mRoot;
    QString mTemp;
};

} // namespace brindlecast::testing
