#pragma once

#include "generate/TemplateCheck.h"
#include "newsletter/MergeValues.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <vector>

// Why a person should look at a recipient before a run: what the mail merge window shows beside
// each row of the list.
namespace brindlecast {

/// Per recipient of `list` (0-based, list order) the reasons to look at it, joined with "; ",
/// empty when there is none:
/// - "the same as recipient 3: the same e-mail address dana@example.org", as FindDuplicates
///   finds an earlier recipient of the whole list;
/// - "no e-mail address", only where the list has an e-mail column (see EmailColumn);
/// - "[Salutation] left empty", for every placeholder of `report` that a column of the list
///   fills and this recipient leaves empty. None without a report (the template not read yet).
///   A placeholder only the run's values `base` fill is the same for everyone: see
///   LeftEmptyForEveryone.
std::vector<QString> MarkRecipients(const RecipientList& list, const TemplateReport* report,
                                    const MergeValues& base);

/// The placeholders of `report` ("[NLTitle]") that no column of `list` fills and the run's
/// values `base` leave empty: every newsletter of the run lacks them, a finding for the whole
/// run rather than for a recipient.
QStringList LeftEmptyForEveryone(const RecipientList& list, const TemplateReport& report,
                                 const MergeValues& base);

} // namespace brindlecast
