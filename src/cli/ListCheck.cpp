#include "ListCheck.h"

#include "ListSource.h"
#include "MakeSteps.h"
#include "generate/TemplateUses.h"
#include "newsletter/MergeValues.h"

#include <algorithm>
#include <set>

namespace brindlecast::cli {

namespace {

// How many recipients a check names where a value stays empty; the rest are counted.
constexpr int NamedEmpties = 3;

// "Filled from the list: [Salutation] from Salutation, ..."; the columns it names count as used.
QString filledLine(const std::vector<PlaceholderUse>& filled, const RecipientList& list,
                   std::set<int>& usedColumns) {
    QStringList fromList;
    for (const PlaceholderUse& entry : filled) {
        QStringList columns;
        for (const int column : entry.columns) {
            columns << list.columns[size_t(column)].column;
            usedColumns.insert(column);
        }
        if (!columns.isEmpty())
            fromList << QStringLiteral("%1 from %2")
                            .arg(entry.placeholder, columns.join(QStringLiteral(" or ")));
    }
    return QStringLiteral("Filled from the list: %1.")
        .arg(fromList.isEmpty() ? QStringLiteral("nothing") : fromList.join(QStringLiteral(", ")));
}

QString emptiesLine(const PlaceholderUse& entry, const ListCheckInput& input,
                    const MergeValues& base) {
    QStringList named;
    int empty = 0;
    for (const int index : input.chosen) {
        if (!LeftEmpty(entry, RecipientValues(base, input.list, index)))
            continue;
        if (++empty <= NamedEmpties)
            named.append(DescribeRecipient(input.list, index));
    }
    const int total = int(input.chosen.size());
    if (empty == 0)
        return {};
    if (empty == total)
        return QStringLiteral("  %1 stays empty for every recipient").arg(entry.placeholder);
    QString line = QStringLiteral("  %1 stays empty for %2 of %3: %4")
                       .arg(entry.placeholder)
                       .arg(empty)
                       .arg(total)
                       .arg(named.join(QStringLiteral(", ")));
    if (empty > NamedEmpties)
        line += QStringLiteral(" and %1 more").arg(empty - NamedEmpties);
    return line;
}

// For each block, how many recipients its own condition keeps it for (a block inside another is
// counted as if that one were kept); the columns its condition reads count as used.
QStringList blockCounts(const TemplateReport& report, const ListCheckInput& input,
                        const MergeValues& base, std::set<int>& usedColumns) {
    QStringList lines;
    if (report.blocks.empty())
        return lines;
    const RecipientList& list = input.list;
    std::vector<MergeValues> recipients;
    for (const int index : input.chosen)
        recipients.push_back(RecipientValues(base, list, index));
    lines << QStringLiteral("IF blocks with the list:");
    for (const PlacedBlock& placed : report.blocks) {
        const BlockCondition& condition = placed.block.condition;
        const auto field = FieldNamed(condition.name.simplified());
        const std::optional<int> column = list.columnNamed(condition.name);
        if (column)
            usedColumns.insert(*column);
        for (int c = 0; field && c < int(list.columns.size()); ++c)
            if (ColumnFillsField(list.columns[size_t(c)], *field))
                usedColumns.insert(c);
        const auto kept =
            std::count_if(recipients.begin(), recipients.end(), [&](const MergeValues& values) {
                return condition.holds([&](const QString& name) { return values.value(name); });
            });
        QString line =
            QStringLiteral("  %1%2  kept for %3 of %4")
                .arg(QString(2 * placed.block.depth, QLatin1Char(' ')), placed.block.marker)
                .arg(kept)
                .arg(recipients.size());
        if (!column && !base.value(condition.name))
            line += QStringLiteral(" (%1 is neither a field nor a column: always empty)")
                        .arg(condition.name);
        lines << line;
    }
    return lines;
}

} // namespace

ListCheckInput ReadListForCheck(const CheckOptions& options, EngineSlot& engine) {
    ListCheckInput input;
    try {
        input.list = ReadListFile(options.recipients, options.sheet, engine);
        input.path = ListPlace(options.recipients, input.list);
        input.chosen = ChooseRecipients(input.list, options.rows, options.where);
    } catch (const RecipientListError& error) {
        throw UsageError(
            QStringLiteral("%1: %2").arg(options.recipients, QString::fromLocal8Bit(error.what())));
    } catch (const SelectionError& error) {
        throw UsageError(QString::fromStdString(error.what()));
    }
    if (input.chosen.empty())
        throw UsageError(QStringLiteral("no recipient of %1 is at --rows and meets every --where")
                             .arg(options.recipients));
    input.duplicates = FindDuplicates(input.list, input.chosen);
    input.chosen = WithoutDuplicates(input.chosen, input.duplicates);
    return input;
}

ListCheck CheckAgainstList(const TemplateReport& report, const NewsletterValues& values,
                           const std::optional<ListCheckInput>& input) {
    ListCheck check;
    const MergeValues base = values.merged();
    for (const NamedValue& named : base.named)
        check.names.append(named.name);
    if (!input)
        return check;
    const RecipientList& list = input->list;
    for (const ColumnUse& use : list.columns)
        check.names.append(use.column);
    const int count = int(list.recipients.size());
    QString headline = QStringLiteral("List %1: %2 recipients").arg(input->path).arg(count);
    if (int(input->chosen.size() + input->duplicates.size()) != count)
        headline += QStringLiteral(", %1 of them at --rows and --where")
                        .arg(input->chosen.size() + input->duplicates.size());
    if (!input->duplicates.empty())
        headline += QStringLiteral(", %1 left out as duplicates").arg(input->duplicates.size());
    check.lines << headline + QLatin1Char('.');
    std::set<int> usedColumns;
    const std::vector<PlaceholderUse> filled = PlaceholderUses(report, &list, base);
    check.lines << filledLine(filled, list, usedColumns);
    QStringList empties;
    for (const PlaceholderUse& entry : filled)
        if (const QString line = emptiesLine(entry, *input, base); !line.isEmpty())
            empties << line;
    if (!empties.isEmpty())
        check.lines << QStringLiteral("Left empty:") << empties;
    check.lines << blockCounts(report, *input, base, usedColumns);
    QStringList unused;
    for (int column = 0; column < int(list.columns.size()); ++column)
        if (!usedColumns.count(column))
            unused << list.columns[size_t(column)].column;
    if (!unused.isEmpty())
        check.lines
            << QStringLiteral("Columns nothing uses: %1.").arg(unused.join(QStringLiteral(", ")));
    return check;
}

} // namespace brindlecast::cli
