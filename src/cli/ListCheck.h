#pragma once

#include "CheckTemplateCommand.h"
#include "MakeValues.h"
#include "generate/TemplateCheck.h"
#include "newsletter/RecipientSelection.h"
#include "newsletter/Recipients.h"

#include <QStringList>
#include <optional>
#include <vector>

// check-template with a recipient list: what the list would fill the template with.
namespace brindlecast::cli {

struct EngineSlot;

/// The list of a check and the recipients a run would make of it.
struct ListCheckInput {
    QString path;
    RecipientList list;
    std::vector<int> chosen;
    std::vector<Duplicate> duplicates;
};

/// Reads --recipients and chooses as make would (--rows, --where, each person once); a workbook's
/// sheet (--sheet) is read by `engine`, which is then started. Throws UsageError naming the
/// list, ListEngineFailure where no engine reads the workbook.
ListCheckInput ReadListForCheck(const CheckOptions& options, EngineSlot& engine);

struct ListCheck {
    /// The names that fill bracketed words: the list's columns and the values' own names.
    QStringList names;
    /// The report's lines on the list, none without one.
    QStringList lines;
};

/// What `values` and, when there is one, the list fill in the template `report` describes,
/// what stays empty for whom, and the columns nothing uses.
ListCheck CheckAgainstList(const TemplateReport& report, const NewsletterValues& values,
                           const std::optional<ListCheckInput>& input);

} // namespace brindlecast::cli
