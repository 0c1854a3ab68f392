#pragma once

#include "newsletter/FieldTable.h"
#include "newsletter/MergeValues.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <stdexcept>
#include <vector>

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
    /// Names that are no field's, for a template of the user's own, in the order given.
    std::vector<NamedValue> named = {};

    /// The values as a newsletter is made from them, the issue date as its text.
    MergeValues merged() const;
};

/// The names --set takes, for a person to read.
QString SettableNames();

/// The values the window has stored (with `stored`; otherwise empty fields and today), with
/// those of the JSON object in `valuesFile` (when given) over them, and each "NAME=VALUE" of
/// `sets` over those: NAME is a field's placeholder name without brackets, in any letter case,
/// or IssueDate with an ISO 8601 date; the file's keys are the same names. With `openNames` (a
/// template of the user's own) any other name a template can hold between brackets is taken as
/// a named value. Throws UsageError.
NewsletterValues MakeValues(bool stored, const QStringList& sets, const QString& valuesFile = {},
                            bool openNames = false);

} // namespace brindlecast::cli
