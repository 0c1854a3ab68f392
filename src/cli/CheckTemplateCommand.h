#pragma once

#include <QString>
#include <QStringList>

namespace brindlecast {
struct TemplateFile;
struct TemplateReport;
} // namespace brindlecast

namespace brindlecast::cli {

/// What "brindlecast check-template" is asked to check: a template, and what a list run would
/// fill it with.
struct CheckOptions {
    QString templateFile;
    QString recipients = {};
    /// The sheet of a workbook list; empty for its first.
    QString sheet = {};
    QString values = {};
    QStringList sets = {};
    bool noStored = false;
    QString rows = {};
    QStringList where = {};
};

/// "brindlecast check-template FILE": what placeholders the template holds and where, which
/// fields it leaves out, its bracketed words that are no placeholder, and its macros; with a
/// list, what the list fills, what stays empty for whom, and the columns nothing uses. Returns
/// 0 when it can be used as it is, 1 when it can be used but has findings, 2 when it is no
/// document the engine can read (or the values or list are wrong), 3 when the engine cannot be
/// started (none is installed, or the temporary folder has no room).
int RunCheckTemplate(const CheckOptions& options);

/// The report's first lines: the file and its kind, and the macros it holds, which never go on.
QString TemplateHeadline(const QString& path, const TemplateFile& file);

/// The report for a person: a line per placeholder found with its count and places, the
/// fields without a placeholder, then each finding on a line of its own and a closing verdict.
/// A bracketed word that one of `names` fills (a column, a value given by name) is no finding.
QString TemplateReportText(const TemplateReport& report, const QStringList& names = {},
                           const QStringList& listLines = {});

} // namespace brindlecast::cli
