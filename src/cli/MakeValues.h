#pragma once

#include "newsletter/FieldTable.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <stdexcept>

namespace brindlecast::cli {

/// A mistake in what was asked for on the command line; what() says which and why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

/// One newsletter's values as the window would hold them: every field's text as typed (the
/// month-year field following the issue date) and the issue date.
struct NewsletterValues {
    std::array<QString, FieldCount> fields;
    QDateTime issueDate;
};

/// The names --set takes, for a person to read.
QString SettableNames();

/// The values the window has stored (with `stored`; otherwise empty fields and today), with
/// those of the JSON object in `valuesFile` (when given) over them, and each "NAME=VALUE" of
/// `sets` over those: NAME is a field's placeholder name without brackets, in any letter case,
/// or IssueDate with an ISO 8601 date; the file's keys are the same names. Throws UsageError.
NewsletterValues MakeValues(bool stored, const QStringList& sets, const QString& valuesFile = {});

} // namespace brindlecast::cli
