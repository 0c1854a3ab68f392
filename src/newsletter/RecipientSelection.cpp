#include "RecipientSelection.h"

#include <QHash>
#include <algorithm>

namespace brindlecast {

namespace {

int Position(const QString& text, int count, const QString& rows) {
    bool ok = false;
    const int position = text.trimmed().toInt(&ok);
    if (!ok || position < 1)
        throw SelectionError(QStringLiteral("--rows %1: give positions and ranges such as "
                                            "5-20,31, counted from 1")
                                 .arg(rows));
    if (position > count)
        throw SelectionError(QStringLiteral("--rows %1: the list has %2 recipients, not %3")
                                 .arg(rows)
                                 .arg(count)
                                 .arg(position));
    return position;
}

QString Folded(const QString& text) {
    return text.simplified().toCaseFolded();
}

QString PostalKey(const Recipient& recipient) {
    QStringList parts;
    for (const QString& value : recipient.values)
        parts.append(Folded(value));
    return parts.join(QLatin1Char('\n'));
}

} // namespace

std::vector<int> ParseRows(const QString& rows, int count) {
    std::vector<char> wanted(static_cast<size_t>(count), 0);
    for (const QString& part : rows.split(QLatin1Char(','))) {
        const qsizetype dash = part.indexOf(QLatin1Char('-'));
        const int from = Position(dash < 0 ? part : part.left(dash), count, rows);
        const int to = dash < 0 ? from : Position(part.mid(dash + 1), count, rows);
        if (to < from)
            throw SelectionError(
                QStringLiteral("--rows %1: the range %2 runs backwards").arg(rows, part.trimmed()));
        std::fill(wanted.begin() + from - 1, wanted.begin() + to, 1);
    }
    std::vector<int> positions;
    for (int i = 0; i < count; ++i)
        if (wanted[size_t(i)])
            positions.push_back(i + 1);
    return positions;
}

ColumnCondition ParseWhere(const QString& where, const RecipientList& list) {
    const qsizetype equals = where.indexOf(QLatin1Char('='));
    if (equals <= 0)
        throw SelectionError(QStringLiteral("--where %1: give it as COLUMN=VALUE").arg(where));
    const QString name = where.left(equals).trimmed();
    const std::optional<int> column = list.columnNamed(name);
    if (!column) {
        QStringList names;
        for (const ColumnUse& use : list.columns)
            names.append(use.column);
        throw SelectionError(QStringLiteral("--where %1: the list has no column %2; its columns "
                                            "are: %3")
                                 .arg(where, name, names.join(QStringLiteral(", "))));
    }
    return {*column, where.mid(equals + 1).trimmed()};
}

std::vector<int> ChooseRecipients(const RecipientList& list, const std::vector<int>& rows,
                                  const std::vector<ColumnCondition>& conditions) {
    std::vector<int> candidates;
    if (rows.empty())
        for (int i = 0; i < int(list.recipients.size()); ++i)
            candidates.push_back(i);
    else
        for (const int position : rows)
            candidates.push_back(position - 1);
    std::vector<int> chosen;
    for (const int index : candidates) {
        const bool meets =
            std::all_of(conditions.begin(), conditions.end(), [&](const ColumnCondition& c) {
                return list.cell(index, c.column).compare(c.value, Qt::CaseInsensitive) == 0;
            });
        if (meets)
            chosen.push_back(index);
    }
    return chosen;
}

std::vector<int> ChooseRecipients(const RecipientList& list, const QString& rows,
                                  const QStringList& where) {
    const std::vector<int> positions =
        rows.isEmpty() ? std::vector<int>{} : ParseRows(rows, int(list.recipients.size()));
    std::vector<ColumnCondition> conditions;
    for (const QString& condition : where)
        conditions.push_back(ParseWhere(condition, list));
    return ChooseRecipients(list, positions, conditions);
}

std::optional<int> EmailColumn(const RecipientList& list) {
    for (int i = 0; i < int(list.columns.size()); ++i) {
        const QString name = list.columns[size_t(i)].column.trimmed();
        for (const char* known : {"Email", "E-mail", "Mail"})
            if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
                return i;
    }
    return std::nullopt;
}

std::vector<Duplicate> FindDuplicates(const RecipientList& list, const std::vector<int>& chosen) {
    const std::optional<int> email = EmailColumn(list);
    QHash<QString, int> byAddress, byPostal;
    std::vector<Duplicate> duplicates;
    for (const int index : chosen) {
        const Recipient& recipient = list.recipients[size_t(index)];
        const QString address = email ? Folded(list.cell(index, *email)) : QString();
        if (!address.isEmpty()) {
            if (const auto first = byAddress.constFind(address); first != byAddress.cend())
                duplicates.push_back({index, *first,
                                      QStringLiteral("the same e-mail address %1")
                                          .arg(list.cell(index, *email).trimmed())});
            else
                byAddress.insert(address, index);
            continue;
        }
        const QString postal = PostalKey(recipient);
        if (QString(postal).remove(QLatin1Char('\n')).isEmpty())
            continue;
        if (const auto first = byPostal.constFind(postal); first != byPostal.cend())
            duplicates.push_back({index, *first, QStringLiteral("the same name and address")});
        else
            byPostal.insert(postal, index);
    }
    return duplicates;
}

std::vector<int> WithoutDuplicates(const std::vector<int>& chosen,
                                   const std::vector<Duplicate>& duplicates) {
    std::vector<int> kept;
    for (const int index : chosen)
        if (std::none_of(duplicates.begin(), duplicates.end(),
                         [&](const Duplicate& d) { return d.index == index; }))
            kept.push_back(index);
    return kept;
}

QString DescribeRecipient(const RecipientList& list, int index) {
    const Recipient& recipient = list.recipients[size_t(index)];
    return QStringLiteral("recipient %1 (line %2, \"%3\")")
        .arg(index + 1)
        .arg(recipient.line)
        .arg(recipient.name());
}

} // namespace brindlecast
