#pragma once

#include <QString>

namespace brindlecast {
struct TemplateReport;
}

namespace brindlecast::cli {

/// "brindlecast check-template FILE": what placeholders the template holds and where, which
/// fields it leaves out, and its bracketed words that are no placeholder. Returns 0 when it can
/// be used as it is, 1 when it can be used but has findings, 2 when it is no document the
/// engine can read, 3 when there is no document engine.
int RunCheckTemplate(const QString& path);

/// The report for a person: a line per placeholder found with its count and places, the
/// fields without a placeholder, then each finding on a line of its own and a closing verdict.
QString TemplateReportText(const TemplateReport& report);

} // namespace brindlecast::cli
