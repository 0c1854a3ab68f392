// Times, in one run, "brindlecast send" against the tests' mail server on the loopback address
// (STARTTLS, a login, the test's own authority): the messages a second of the sending itself
// for 500 recipients with --rate 0, and a whole send of a 200-recipient list (its newsletters
// made, then sent) against make of the same list as PDFs. Prints the figures and the ratio.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace brindlecast::bench;

const QString Python = QStringLiteral("/usr/bin/python3");
const QString Server = QStringLiteral(BRINDLECAST_SOURCE_DIR "/tests/mail/smtp_server.py");

void writeList(const QString& path, int count) {
    QByteArray csv = "Name,Email,City\n";
    for (int i = 1; i <= count; ++i)
        csv += QStringLiteral("Person %1,person%1@example.org,Springfield\n").arg(i).toUtf8();
    writeFile(path, csv);
}

struct Run {
    double seconds = 0;
    QString out;
};

Run run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    const auto start = Clock::now();
    process.start(program, arguments);
    process.waitForFinished(-1);
    Run done{secondsSince(start), QString::fromUtf8(process.readAllStandardOutput())};
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s%s\n", qPrintable(arguments.first()),
                     qPrintable(done.out), process.readAllStandardError().constData());
        std::exit(1);
    }
    return done;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    keepAwayFromTheUser(work.path());
    qputenv("HOME", QFile::encodeName(work.path()));
    const QString program = QStringLiteral(BRINDLECAST_PROGRAM);
    writeList(work.filePath("list500.csv"), 500);
    writeList(work.filePath("list200.csv"), 200);
    writeFile(work.filePath("body.txt"), "Dear [Name],\n\nthe newsletter is attached.\n");
    writeFile(work.filePath("password"), "secret");
    QFile(work.filePath("password")).setPermissions(QFileDevice::ReadOwner);

    const QString certs = work.filePath("certs");
    if (QProcess::execute(Python, {Server, "make-certs", certs}) != 0)
        return std::fprintf(stderr, "no certificates\n"), 1;
    QProcess server;
    const QString ready = work.filePath("ready");
    server.start(Python, {Server, "serve", "--folder", work.filePath("got"), "--ready", ready,
                          "--cert", certs + "/server.pem", "--key", certs + "/server.key", "--user",
                          "dana", "--password", "secret"});
    while (!QFile::exists(ready))
        if (server.waitForFinished(10))
            return std::fprintf(stderr, "the mail server did not start\n"), 1;
    QFile port(ready);
    port.open(QIODevice::ReadOnly);
    const QString url = "smtp://127.0.0.1:" + QString::fromLatin1(port.readAll());

    const auto send = [&](const QString& list) {
        return QStringList{"send",
                           "--no-stored",
                           "--quiet",
                           "--recipients",
                           list,
                           "--subject",
                           "News for [Name]",
                           "--body",
                           "body.txt",
                           "--from",
                           "news@example.org",
                           "--smtp",
                           url,
                           "--user",
                           "dana",
                           "--password-file",
                           "password",
                           "--ca-file",
                           certs + "/ca.pem",
                           "--rate",
                           "0"};
    };
    const Run many = run(program, send("list500.csv"), work.path());
    const QRegularExpression sent(QStringLiteral("Sent 500 of 500 messages in ([0-9.]+) s"));
    const double sending = sent.match(many.out).captured(1).toDouble();
    const Run whole = run(program, send("list200.csv"), work.path());
    const Run made = run(program,
                         {"make", "--no-stored", "--quiet", "--recipients", "list200.csv",
                          "--output", "made", "--format", "pdf"},
                         work.path());
    server.kill();
    server.waitForFinished();

    std::printf("500 recipients, --rate 0, STARTTLS and a login on the loopback address:\n");
    std::printf("  sending alone       %6.1f s  %6.1f messages per second\n", sending,
                500 / std::max(sending, 0.001));
    std::printf("  whole run           %6.1f s  (newsletters made, then sent)\n", many.seconds);
    std::printf("200 recipients, PDFs, engine start included (one run each):\n");
    std::printf("  send                %6.1f s\n", whole.seconds);
    std::printf("  make                %6.1f s\n", made.seconds);
    std::printf("  send / make         %6.2f\n", whole.seconds / made.seconds);
    return 0;
}
