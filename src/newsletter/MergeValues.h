#pragma once

#include "FieldTable.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace brindlecast {

struct RecipientList;

/// A value by a name of its own, beside the fields: a column of a recipient list, or a name
/// given with the values of a run.
struct NamedValue {
    QString name;
    QString value;
};

/// The values one newsletter is made from: the fields as typed, the issue date as its text goes
/// into the document, and named values of its own. A name is read as a template writes it
/// between brackets: in any letter case, blanks inside it collapsed.
struct MergeValues {
    std::array<QString, FieldCount> fields = {};
    QString issueDate = {};
    std::vector<NamedValue> named = {};

    /// The value `name` stands for: a field's placeholder name ("NLTitle", "RecipientName"),
    /// IssueDate, or a named value; none when it is none of them.
    std::optional<QString> value(const QString& name) const;
    /// Gives `name` this value: the field or issue date so named, otherwise a named value (one of
    /// the same name is replaced).
    void set(const QString& name, const QString& value);
    /// The named value called `name`, if there is one.
    const NamedValue* namedValue(const QString& name) const;
};

/// True when two names are one as a template's brackets read them.
bool SameName(const QString& a, const QString& b);

/// The values of recipient `index` (0-based) of `list`: `base`, with the recipient's four
/// fields and every column as a named value; a column named like a field (or IssueDate) fills
/// that field instead.
MergeValues RecipientValues(const MergeValues& base, const RecipientList& list, int index);

/// The fields a column of `list` fills by its name, in index order; the issue date is not one.
std::vector<int> FieldsNamedByColumns(const RecipientList& list);

} // namespace brindlecast
