#include "RecipientTable.h"

#include "RecipientMarks.h"
#include "newsletter/RecipientSelection.h"

#include <algorithm>
#include <numeric>

namespace brindlecast {

RecipientTable::RecipientTable(QObject* parent)
    : QAbstractTableModel(parent) {}

void RecipientTable::setList(RecipientList list) {
    beginResetModel();
    mList = std::move(list);
    std::vector<int> all(mList.recipients.size());
    std::iota(all.begin(), all.end(), 0);
    mTicked.assign(all.size(), 1);
    for (const Duplicate& duplicate : FindDuplicates(mList, all))
        mTicked[size_t(duplicate.index)] = 0;
    mMarks = MarkRecipients(mList, nullptr, {});
    endResetModel();
    emit tickedChanged();
}

void RecipientTable::setMarks(std::vector<QString> marks) {
    mMarks = std::move(marks);
    mMarks.resize(mList.recipients.size());
    if (rowCount() > 0)
        emit dataChanged(
            index(0, 0), index(rowCount() - 1, columnCount() - 1),
            {Qt::DisplayRole, Qt::ToolTipRole, Qt::DecorationRole, Qt::AccessibleDescriptionRole});
}

void RecipientTable::setSent(const std::vector<int>& rows) {
    const QString sent = QStringLiteral("sent this newsletter earlier");
    std::vector<QString> marks = mMarks;
    for (const int row : rows)
        if (row >= 0 && row < rowCount() && !marks[size_t(row)].startsWith(sent))
            marks[size_t(row)] = marks[size_t(row)].isEmpty()
                                     ? sent
                                     : QStringLiteral("%1; %2").arg(sent, marks[size_t(row)]);
    setMarks(std::move(marks));
    tickAll(rows, false);
}

QString RecipientTable::marks(int row) const {
    return row >= 0 && row < int(mMarks.size()) ? mMarks[size_t(row)] : QString();
}

void RecipientTable::setMarkIcon(const QIcon& icon) {
    mMarkIcon = icon;
    if (rowCount() > 0)
        emit dataChanged(index(0, TickColumn), index(rowCount() - 1, TickColumn),
                         {Qt::DecorationRole});
}

bool RecipientTable::isTicked(int row) const {
    return row >= 0 && row < int(mTicked.size()) && mTicked[size_t(row)];
}

void RecipientTable::setTicked(int row, bool ticked) {
    tickAll({row}, ticked);
}

void RecipientTable::tickAll(const std::vector<int>& rows, bool ticked) {
    int first = rowCount(), last = -1;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount() || bool(mTicked[size_t(row)]) == ticked)
            continue;
        mTicked[size_t(row)] = ticked;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last < 0)
        return;
    emit dataChanged(index(first, TickColumn), index(last, TickColumn),
                     {Qt::CheckStateRole, Qt::AccessibleTextRole});
    emit tickedChanged();
}

std::vector<int> RecipientTable::ticked() const {
    std::vector<int> rows;
    for (int row = 0; row < rowCount(); ++row)
        if (mTicked[size_t(row)])
            rows.push_back(row);
    return rows;
}

QString RecipientTable::tickedText() const {
    return QStringLiteral("%1 of %2 ticked").arg(ticked().size()).arg(rowCount());
}

int RecipientTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(mList.recipients.size());
}

int RecipientTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : notesColumn() + 1;
}

QVariant RecipientTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row(), column = index.column();
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole)
        return mMarks[size_t(row)].isEmpty() ? QVariant() : QVariant(mMarks[size_t(row)]);
    if (column == TickColumn)
        return tickData(row, role);
    if (role != Qt::DisplayRole)
        return {};
    if (column == notesColumn())
        return mMarks[size_t(row)];
    return mList.cell(row, column - 1);
}

QVariant RecipientTable::tickData(int row, int role) const {
    switch (role) {
    case Qt::DisplayRole:
        return row + 1;
    case Qt::CheckStateRole:
        return mTicked[size_t(row)] ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
        return QStringLiteral("recipient %1, %2")
            .arg(QString::number(row + 1),
                 mTicked[size_t(row)] ? QStringLiteral("ticked") : QStringLiteral("not ticked"));
    case Qt::DecorationRole:
        return mMarks[size_t(row)].isEmpty() || mMarkIcon.isNull() ? QVariant()
                                                                   : QVariant::fromValue(mMarkIcon);
    default:
        return {};
    }
}

bool RecipientTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != TickColumn || role != Qt::CheckStateRole)
        return false;
    setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant RecipientTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::ToolTipRole && section == TickColumn)
        return QStringLiteral("Tick the recipients to make newsletters for");
    if (role != Qt::DisplayRole)
        return {};
    if (section == TickColumn)
        return QStringLiteral("Use");
    if (section == notesColumn())
        return QStringLiteral("Notes");
    return mList.columns[size_t(section - 1)].column;
}

Qt::ItemFlags RecipientTable::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == TickColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

} // namespace brindlecast

#include "moc_RecipientTable.cpp"
