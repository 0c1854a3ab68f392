#pragma once

// A real mail server on the loopback address for a test: smtp_server.py on Debian's aiosmtpd,
// with STARTTLS, TLS from the start or neither, a login, and faults on request. What it took
// is read back with Python's email package (read_messages.py).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brindlecast::testing {

class MailServer {
public:
    struct Options {
        QString mode = QStringLiteral("starttls");      // or "tls", "plain"
        QString certificate = QStringLiteral("server"); // or "stranger"
        QString user = QStringLiteral("dana");
        QString password = QStringLiteral("secret");
        QStringList refuse = {};
        QStringList defer = {};
        int dieAfter = 0;
    };

    /// The authority the tests trust (ca.pem) and the servers' certificates, made once.
    static QString Certificates() {
        static QTemporaryDir folder;
        static const bool made =
            QProcess::execute(Python(), {Script("smtp_server.py"), QStringLiteral("make-certs"),
                                         folder.path()}) == 0;
        EXPECT_TRUE(made) << "openssl could not make the test's certificates";
        return folder.path();
    }
    static QString Authority() { return Certificates() + QStringLiteral("/ca.pem"); }

    /// Starts a server that keeps what it takes in `folder`, and waits until it listens.
    MailServer(const QString& folder, const Options& options)
        : mFolder(folder) {
        const QString ready = folder + QStringLiteral(".ready");
        QFile::remove(ready);
        QStringList arguments{Script("smtp_server.py"),
                              "serve",
                              "--folder",
                              folder,
                              "--ready",
                              ready,
                              "--mode",
                              options.mode,
                              "--cert",
                              Certificates() + '/' + options.certificate + ".pem",
                              "--key",
                              Certificates() + '/' + options.certificate + ".key",
                              "--user",
                              options.user,
                              "--password",
                              options.password,
                              "--die-after",
                              QString::number(options.dieAfter)};
        for (const QString& address : options.refuse)
            arguments << "--refuse" << address;
        for (const QString& address : options.defer)
            arguments << "--defer" << address;
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.start(Python(), arguments);
        // Waiting on the process, not sleeping: a server that failed to start ends the wait.
        for (int waited = 0; !QFile::exists(ready) && waited < 1000; ++waited)
            if (mProcess.waitForFinished(10))
                break;
        QFile port(ready);
        EXPECT_TRUE(port.open(QIODevice::ReadOnly)) << "the mail server did not start";
        mPort = port.readAll().toInt();
        mScheme = options.mode == "tls" ? "smtps" : "smtp";
    }
    ~MailServer() {
        mProcess.kill();
        mProcess.waitForFinished();
    }

    QString url() const { return QStringLiteral("%1://127.0.0.1:%2").arg(mScheme).arg(mPort); }
    int port() const { return mPort; }
    /// Waits for a server told to die to have died.
    bool ended(int milliseconds) { return mProcess.waitForFinished(milliseconds); }

    /// What clients did: CONNECT, STARTTLS, AUTH PLAIN, LOGIN accepted, NOOP, DATA 0001, ...
    QStringList log() const {
        QFile file(mFolder + QStringLiteral("/log.txt"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QJsonArray messages() const { return Read(mFolder); }

    /// The messages in `folder` as Python's email package reads them.
    static QJsonArray Read(const QString& folder) {
        QProcess reader;
        reader.start(Python(), {Script("read_messages.py"), folder});
        reader.waitForFinished(60000);
        EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().constData();
        return QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    }

    static QString Python() { return QStringLiteral(BRINDLECAST_SYSTEM_PYTHON); }
    static QString Script(const char* name) {
        return QStringLiteral(BRINDLECAST_MAIL_TESTS) + '/' + QLatin1String(name);
    }

private:
    QString mFolder;
    QProcess mProcess;
    int mPort = 0;
    QString mScheme;
};

} // namespace brindlecast::testing
