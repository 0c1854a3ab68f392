#include "CsvColumns.h"
#include "CsvRecords.h"
#include "RecipientReaders.h"

#include <QRegularExpression>

namespace brindlecast::recipients {

namespace {

QString Cell(const QStringList& cells, int column) {
    return column < cells.size() ? cells[column].trimmed() : QString();
}

QString FirstFilled(const QStringList& cells, const RoleColumns& columns, Role role) {
    if (const auto found = columns.find(role); found != columns.end())
        for (const int column : found->second)
            if (const QString value = Cell(cells, column); !value.isEmpty())
                return value;
    return {};
}

QString Joined(const QStringList& cells, const RoleColumns& columns,
               std::initializer_list<Role> roles, const QString& separator) {
    QStringList parts;
    for (const Role role : roles)
        parts.append(FirstFilled(cells, columns, role));
    return JoinFilled(parts, separator);
}

bool IsBlank(const QStringList& cells) {
    for (const QString& cell : cells)
        if (!cell.trimmed().isEmpty())
            return false;
    return true;
}

// A full name wins over its parts and a one-column "City, State Zip" over City, State and Zip,
// row by row, so a list that fills one form for some people and the other for the rest works.
Recipient ToRecipient(const CsvRecord& record, const Layout& layout) {
    Recipient recipient;
    recipient.line = record.line;
    const QStringList& cells = record.cells;
    for (int column = 0; column < int(layout.roles.size()); ++column)
        recipient.cells.append(Cell(cells, column));
    auto& values = recipient.values;
    values[0] = FirstFilled(cells, layout.person, Role::FullName);
    if (values[0].isEmpty())
        values[0] = Joined(cells, layout.person, {Role::First, Role::Middle, Role::Last}, " ");
    values[1] = FirstFilled(cells, layout.person, Role::Company);
    // The first address group this row fills provides both street and city, never a mix.
    for (const RoleColumns& address : layout.addresses) {
        values[2] = Joined(cells, address, {Role::Street, Role::Street2, Role::Street3}, ", ");
        values[3] = FirstFilled(cells, address, Role::CityStZip);
        if (values[3].isEmpty())
            values[3] = Joined(cells, address, {Role::City, Role::State, Role::Zip}, " ");
        if (!values[2].isEmpty() || !values[3].isEmpty())
            break;
    }
    return recipient;
}

RecipientField FieldOf(Role role) {
    if (role <= Role::Last)
        return RecipientField::Name;
    if (role == Role::Company)
        return RecipientField::Company;
    return role <= Role::Street3 ? RecipientField::Street : RecipientField::CityStZip;
}

std::vector<ColumnUse> Uses(const QStringList& header, const Layout& layout) {
    std::vector<ColumnUse> uses;
    for (int i = 0; i < header.size(); ++i) {
        ColumnUse use{header[i].trimmed(), {}};
        if (use.column.isEmpty())
            use.column = QStringLiteral("column %1").arg(i + 1);
        if (layout.roles[size_t(i)] != Role::None)
            use.fields.push_back(FieldOf(layout.roles[size_t(i)]));
        uses.push_back(use);
    }
    return uses;
}

void RequireName(const Layout& layout, const std::vector<ColumnUse>& uses, const QString& where,
                 int line) {
    const auto& person = layout.person;
    if (person.count(Role::FullName) || person.count(Role::First) || person.count(Role::Last))
        return;
    QStringList names;
    for (const ColumnUse& use : uses)
        names.append(use.column);
    throw RecipientListError(
        QStringLiteral("no name column in %1 (looked for RecipientName, Name, Full Name, First "
                       "Name and Last Name); its columns are: %2")
            .arg(where, names.join(QStringLiteral(", "))),
        line);
}

// Where the first line with anything on it starts: the header, whose delimiter counts.
qsizetype HeaderStart(const QString& text, qsizetype from) {
    qsizetype lineStart = from;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r'))
            lineStart = i + 1;
        else if (!text[i].isSpace())
            return lineStart;
    }
    return text.size();
}

} // namespace

RecipientList ReadTable(const QStringList& header, const std::vector<CsvRecord>& rows,
                        const QString& headerWhere, int headerLine) {
    RecipientList list;
    const Layout layout = ReadHeader(header);
    list.columns = Uses(header, layout);
    RequireName(layout, list.columns, headerWhere, headerLine);
    for (const CsvRecord& row : rows)
        if (!IsBlank(row.cells))
            list.recipients.push_back(ToRecipient(row, layout));
    return list;
}

RecipientList ReadCsv(const QString& text) {
    RecipientList list;
    qsizetype from = 0;
    int firstLine = 1;
    static const QRegularExpression hint(QStringLiteral("^sep=(.)\\r?\\n"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const auto match = hint.match(text); match.hasMatch()) {
        list.delimiter = match.captured(1).at(0);
        from = match.capturedEnd();
        firstLine = 2;
    }
    if (list.delimiter.isNull())
        list.delimiter = DetectDelimiter(text, HeaderStart(text, from));
    const std::vector<CsvRecord> records = SplitCsv(text, list.delimiter, from, firstLine);
    auto record = records.begin();
    while (record != records.end() && IsBlank(record->cells))
        ++record;
    if (record == records.end())
        throw RecipientListError(QStringLiteral("the list is empty"));
    const int headerLine = record->line;
    const QChar delimiter = list.delimiter;
    list = ReadTable(record->cells, std::vector<CsvRecord>(record + 1, records.end()),
                     QStringLiteral("the header at line %1").arg(headerLine), headerLine);
    list.delimiter = delimiter;
    if (list.recipients.empty())
        throw RecipientListError(
            QStringLiteral("the list has no recipient below its header at line %1").arg(headerLine),
            headerLine);
    return list;
}

} // namespace brindlecast::recipients
