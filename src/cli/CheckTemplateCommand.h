#pragma once

#include <QString>

namespace brindlecast {
struct TemplateFile;
struct TemplateReport;
} // namespace brindlecast

namespace brindlecast::cli {

/// "brindlecast check-template FILE": what placeholders the template holds and where, which
/// fields it leaves out, its bracketed words that are no placeholder, and its macros. Returns 0
/// when it can be used as it is, 1 when it can be used but has findings, 2 when it is no
/// document the engine can read, 3 when the engine cannot be started (none is installed, or
/// the temporary folder has no room).
int RunCheckTemplate(const QString& path);

/// The report's first lines: the file and its kind, and the macros it holds, which never go on.
QString TemplateHeadline(const QString& path, const TemplateFile& file);

/// The report for a person: a line per placeholder found with its count and places, the
/// fields without a placeholder, then each finding on a line of its own and a closing verdict.
QString TemplateReportText(const TemplateReport& report);

} // namespace brindlecast::cli
