#pragma once

// The workbooks the spreadsheet tests read: an .xlsx written by a Python library (the script
// beside this file), and the .ods and .xls the office itself writes from it. Needs
// BRINDLECAST_SYSTEM_PYTHON and BRINDLECAST_WORKBOOK_SCRIPT defined by the test's build.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QUrl>

namespace brindlecast::testing {

/// Writes the script's workbook `kind` ("members", "huge") to `path`; false when it fails.
inline bool MakeWorkbook(const QString& kind, const QString& path) {
    QProcess script;
    script.start(QStringLiteral(BRINDLECAST_SYSTEM_PYTHON),
                 {QStringLiteral(BRINDLECAST_WORKBOOK_SCRIPT), kind, path});
    return script.waitForFinished(60000) && script.exitCode() == 0 && QFile::exists(path);
}

/// The office's own copy of the workbook `source` in `format` ("ods", "xls"), written beside it
/// by an office of its own (profile in `profile`); empty when it fails.
inline QString ConvertWorkbook(const QString& source, const QString& format,
                               const QString& profile) {
    const QString folder = QFileInfo(source).absolutePath();
    QProcess office;
    office.start(
        QStringLiteral("/usr/lib/libreoffice/program/soffice"),
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
         QStringLiteral("--outdir"), folder, source});
    const QString made = folder + QLatin1Char('/') + QFileInfo(source).completeBaseName() +
                         QLatin1Char('.') + format;
    if (!office.waitForFinished(120000) || office.exitCode() != 0 || !QFile::exists(made))
        return {};
    return made;
}

/// Writes the .xlsx `source` to `target` with the data of its workbook part garbled, the ZIP
/// archive around it whole, as a damaged disk or download leaves a file; false when it cannot.
inline bool GarbleWorkbook(const QString& source, const QString& target) {
    QFile in(source), out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = in.readAll();
    const qsizetype part = bytes.indexOf("xl/workbook.xml");
    if (part < 0)
        return false;
    for (qsizetype at = part + 60; at < part + 80 && at < bytes.size(); ++at)
        bytes[at] = char(bytes[at] ^ 0x5A);
    return out.write(bytes) == bytes.size();
}

} // namespace brindlecast::testing
