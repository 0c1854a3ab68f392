#include "MergeValues.h"

#include "Recipients.h"

namespace brindlecast {

namespace {

// The recipient's own four fields come from the columns the list reader chose for them, a full
// name column or the name's parts, whichever the row fills.
bool IsRecipientField(std::optional<int> field) {
    return field && *field >= FieldIndex(RecipientField::Name) &&
           *field <= FieldIndex(RecipientField::CityStZip);
}

bool IsIssueDate(const QString& name) {
    return SameName(name, QLatin1String(IssueDatePlaceholder).mid(1).chopped(1));
}

} // namespace

bool SameName(const QString& a, const QString& b) {
    return a.simplified().compare(b.simplified(), Qt::CaseInsensitive) == 0;
}

const NamedValue* MergeValues::namedValue(const QString& name) const {
    for (const NamedValue& entry : named)
        if (SameName(entry.name, name))
            return &entry;
    return nullptr;
}

std::optional<QString> MergeValues::value(const QString& name) const {
    if (const auto field = FieldNamed(name.simplified()))
        return fields[size_t(*field)];
    if (IsIssueDate(name))
        return issueDate;
    if (const NamedValue* entry = namedValue(name))
        return entry->value;
    return std::nullopt;
}

void MergeValues::set(const QString& name, const QString& value) {
    if (const auto field = FieldNamed(name.simplified())) {
        fields[size_t(*field)] = value;
    } else if (IsIssueDate(name)) {
        issueDate = value;
    } else {
        for (NamedValue& entry : named)
            if (SameName(entry.name, name)) {
                entry.value = value;
                return;
            }
        named.push_back({name.simplified(), value});
    }
}

MergeValues RecipientValues(const MergeValues& base, const RecipientList& list, int index) {
    MergeValues values = base;
    const Recipient& recipient = list.recipients[size_t(index)];
    for (int field = 0; field < RecipientFieldCount; ++field)
        values.fields[size_t(FieldIndex(RecipientField(field)))] = recipient.values[size_t(field)];
    for (int column = 0; column < int(list.columns.size()); ++column) {
        const QString& name = list.columns[size_t(column)].column;
        if (!IsRecipientField(FieldNamed(name.simplified())))
            values.set(name, recipient.cells.value(column));
    }
    return values;
}

std::vector<int> FieldsNamedByColumns(const RecipientList& list) {
    std::vector<int> fields;
    for (int field = 0; field < FieldCount; ++field)
        for (const ColumnUse& use : list.columns)
            if (FieldNamed(use.column.simplified()) == field && !IsRecipientField(field)) {
                fields.push_back(field);
                break;
            }
    return fields;
}

} // namespace brindlecast
