#include "RecipientMarks.h"

#include "generate/TemplateUses.h"
#include "newsletter/RecipientSelection.h"

#include <numeric>

namespace brindlecast {

namespace {

void AddMark(QString& marks, const QString& reason) {
    if (!marks.isEmpty())
        marks += QStringLiteral("; ");
    marks += reason;
}

void MarkDuplicates(const RecipientList& list, std::vector<QString>& marks) {
    std::vector<int> all(list.recipients.size());
    std::iota(all.begin(), all.end(), 0);
    for (const Duplicate& duplicate : FindDuplicates(list, all))
        AddMark(marks[size_t(duplicate.index)],
                QStringLiteral("the same as recipient %1: %2")
                    .arg(QString::number(duplicate.sameAs + 1), duplicate.why));
}

void MarkEmpties(const RecipientList& list, const TemplateReport& report, const MergeValues& base,
                 std::vector<QString>& marks) {
    std::vector<PlaceholderUse> fromList;
    for (PlaceholderUse& use : PlaceholderUses(report, &list, base))
        if (!use.columns.empty())
            fromList.push_back(std::move(use));
    if (fromList.empty())
        return;
    for (int index = 0; index < int(list.recipients.size()); ++index) {
        const MergeValues values = RecipientValues(base, list, index);
        for (const PlaceholderUse& use : fromList)
            if (LeftEmpty(use, values))
                AddMark(marks[size_t(index)], QStringLiteral("%1 left empty").arg(use.placeholder));
    }
}

} // namespace

std::vector<QString> MarkRecipients(const RecipientList& list, const TemplateReport* report,
                                    const MergeValues& base) {
    std::vector<QString> marks(list.recipients.size());
    MarkDuplicates(list, marks);
    if (const std::optional<int> email = EmailColumn(list))
        for (int index = 0; index < int(list.recipients.size()); ++index)
            if (list.cell(index, *email).trimmed().isEmpty())
                AddMark(marks[size_t(index)], QStringLiteral("no e-mail address"));
    if (report)
        MarkEmpties(list, *report, base, marks);
    return marks;
}

QStringList LeftEmptyForEveryone(const RecipientList& list, const TemplateReport& report,
                                 const MergeValues& base) {
    // The recipient's own fields are the list's even where no column fills them.
    const MergeValues values = list.recipients.empty() ? base : RecipientValues(base, list, 0);
    QStringList empty;
    for (const PlaceholderUse& use : PlaceholderUses(report, &list, base))
        if (use.columns.empty() && LeftEmpty(use, values))
            empty << use.placeholder;
    return empty;
}

} // namespace brindlecast
