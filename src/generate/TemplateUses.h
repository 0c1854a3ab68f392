#pragma once

#include "TemplateCheck.h"
#include "newsletter/MergeValues.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <vector>

// Which values a template takes and where each comes from: what check-template reports per
// placeholder and the mail merge window marks per recipient.
namespace brindlecast {

/// A placeholder or bracketed name of a template that the values of a run fill.
struct PlaceholderUse {
    QString placeholder;      ///< as the template spells it, brackets included
    QString name;             ///< the name a recipient's values know it by
    std::vector<int> columns; ///< the list's columns it comes from; none for the run's values
};

/// Whether a column's values fill `field` for each recipient, by the list's own mapping or by
/// the column's name; the recipient's four fields are filled by the mapping only.
bool ColumnFillsField(const ColumnUse& use, int field);

/// Every field placeholder of the template `report` describes, then every bracketed name that a
/// column of `list` (when there is one) or a named value of `base` fills, in the report's order.
std::vector<PlaceholderUse> PlaceholderUses(const TemplateReport& report, const RecipientList* list,
                                            const MergeValues& base);

/// True when `values` leave `use` empty (blanks count as empty).
bool LeftEmpty(const PlaceholderUse& use, const MergeValues& values);

} // namespace brindlecast
