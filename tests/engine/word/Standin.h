#pragma once

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>
#include <windows.h>

// The stand-in "Word.Application" as the tests drive it: the folder named by
// BRINDLECAST_STANDIN_DIR (which every server COM starts for this process inherits) takes the
// faults to play and receives the call log and the servers' process ids.
namespace brindlecast::testing {

class Standin {
public:
    explicit Standin(const QString& folder)
        : mFolder(folder)
        , mSaved(qgetenv("BRINDLECAST_STANDIN_DIR")) {
        QDir().mkpath(folder);
        qputenv("BRINDLECAST_STANDIN_DIR", QDir::toNativeSeparators(folder).toUtf8());
    }
    ~Standin() { qputenv("BRINDLECAST_STANDIN_DIR", mSaved); }
    Standin(const Standin&) = delete;
    Standin& operator=(const Standin&) = delete;

    /// The faults the next servers play, one a line ("fail Find.Execute Why", "hang
    /// Document.SaveAs", "fail-quit", "refuse-creation 0x80080005"); none when empty.
    void play(const QStringList& faults) const {
        QFile control(mFolder + QStringLiteral("/control.txt"));
        if (control.open(QIODevice::WriteOnly | QIODevice::Truncate))
            control.write(faults.join(QLatin1Char('\n')).toUtf8());
    }
    /// Every call logged since the last forget(), without the process id in front.
    QStringList calls() const {
        QStringList lines;
        for (const QString& line : lines_(QStringLiteral("calls.log")))
            lines << line.section(QLatin1Char(' '), 1);
        return lines;
    }
    /// The findings ("!" lines) since the last forget(), one a line, for a test's message:
    /// what Word would have asked nobody, or what touched a document of the user's.
    std::string findings() const {
        return calls().filter(QRegularExpression(QStringLiteral("^! "))).join('\n').toStdString();
    }
    /// The servers started since the last forget().
    std::vector<unsigned long> pids() const {
        std::vector<unsigned long> ids;
        for (const QString& line : lines_(QStringLiteral("pids.txt")))
            ids.push_back(line.toULong());
        return ids;
    }
    /// How each server since the last forget() ended ("* exit: after Quit"), once all have.
    QStringList exits() const;
    void forget() const {
        QFile::remove(mFolder + QStringLiteral("/calls.log"));
        QFile::remove(mFolder + QStringLiteral("/pids.txt"));
    }

private:
    QStringList lines_(const QString& name) const {
        QFile file(mFolder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QString mFolder;
    QByteArray mSaved;
};

/// A Word 97-2003 template as the stand-in reads it: the compound file's first bytes, and with
/// `macros` the name of the storage such a file keeps its macro project in.
inline QByteArray Word97Template(bool macros = false) {
    QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 a Word 97 template");
    if (macros)
        bytes += QByteArray("M\0a\0c\0r\0o\0s\0", 12);
    return bytes;
}

/// Every way the stand-in can be as strict as Word, at once: a Word that rejects its first calls
/// as busy, takes BuiltInDocumentProperties only in its own form, keeps a template's format on a
/// bare SaveAs, fails a line's text frame, and has a Normal template an add-in changed.
inline const QStringList StrictWord{"busy 3", "strict-properties", "strict-saveas", "strict-shapes",
                                    "normal-template-changed"};

/// The document the stand-in saved at `path`, out of the container of its format (a compound
/// file, a ZIP archive or a PDF): its text ends with the only line break outside its strings.
inline QJsonObject StandinSaved(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const qsizetype start = bytes.indexOf("{\"format\":\"brindlecast-word-standin\"");
    const qsizetype end = bytes.indexOf("]}\n", start);
    if (start < 0 || end < 0)
        return {};
    return QJsonDocument::fromJson(bytes.mid(start, end + 2 - start)).object();
}

/// Whether process `pid` still runs after giving it `graceMs` to end.
inline bool ProcessRuns(unsigned long pid, DWORD graceMs = 2000) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return false;
    const bool runs = WaitForSingleObject(process, graceMs) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

inline QStringList Standin::exits() const {
    for (unsigned long pid : pids())
        ProcessRuns(pid);
    return calls().filter(QStringLiteral("* exit:"));
}

} // namespace brindlecast::testing
