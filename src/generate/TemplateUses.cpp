#include "TemplateUses.h"

#include "TemplateNames.h"

#include <algorithm>

namespace brindlecast {

bool ColumnFillsField(const ColumnUse& use, int field) {
    const bool mapped = std::any_of(use.fields.begin(), use.fields.end(),
                                    [&](RecipientField f) { return FieldIndex(f) == field; });
    const auto named = FieldNamed(use.column.simplified());
    return mapped || (named == field && (field < FieldIndex(RecipientField::Name) ||
                                         field > FieldIndex(RecipientField::CityStZip)));
}

std::vector<PlaceholderUse> PlaceholderUses(const TemplateReport& report, const RecipientList* list,
                                            const MergeValues& base) {
    std::vector<PlaceholderUse> uses;
    for (int field = 0; field < FieldCount; ++field) {
        if (report.placeholders[size_t(field)].empty())
            continue;
        PlaceholderUse use{PlaceholderName(field), FieldPlaceholderName(field), {}};
        for (int column = 0; list && column < int(list->columns.size()); ++column)
            if (ColumnFillsField(list->columns[size_t(column)], field))
                use.columns.push_back(column);
        uses.push_back(use);
    }
    for (const StrayWord& stray : report.strays) {
        if (stray.broken)
            continue;
        const QString name = BracketedName(stray.text);
        PlaceholderUse use{stray.text, name, {}};
        if (const std::optional<int> column = list ? list->columnNamed(name) : std::nullopt)
            use.columns.push_back(*column);
        else if (!base.namedValue(name))
            continue;
        uses.push_back(use);
    }
    return uses;
}

bool LeftEmpty(const PlaceholderUse& use, const MergeValues& values) {
    return values.value(use.name).value_or(QString()).trimmed().isEmpty();
}

} // namespace brindlecast
