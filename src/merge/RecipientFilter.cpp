#include "RecipientFilter.h"

#include "RecipientTable.h"

namespace brindlecast {

RecipientFilter::RecipientFilter(QObject* parent)
    : QSortFilterProxyModel(parent) {
    mCollator.setNumericMode(true);
    mCollator.setCaseSensitivity(Qt::CaseInsensitive);
}

void RecipientFilter::setFilterText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed == mText)
        return;
    mText = trimmed;
    invalidateFilter();
}

std::vector<int> RecipientFilter::shownRows() const {
    std::vector<int> rows;
    for (int row = 0; row < rowCount(); ++row)
        rows.push_back(mapToSource(index(row, 0)).row());
    return rows;
}

bool RecipientFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (mText.isEmpty())
        return true;
    const QAbstractItemModel* model = sourceModel();
    for (int column = RecipientTable::TickColumn + 1; column < model->columnCount(sourceParent);
         ++column)
        if (model->index(sourceRow, column, sourceParent)
                .data()
                .toString()
                .contains(mText, Qt::CaseInsensitive))
            return true;
    return false;
}

bool RecipientFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Equal cells keep the list's order: the proxy sorts stably.
    if (left.column() == RecipientTable::TickColumn)
        return left.row() < right.row();
    return mCollator.compare(left.data().toString(), right.data().toString()) < 0;
}

std::optional<int> StepTicked(const QAbstractProxyModel& view, const RecipientTable& table,
                              std::optional<int> current, Step step) {
    const int count = view.rowCount();
    auto ticked = [&](int viewRow) {
        const int row = view.mapToSource(view.index(viewRow, 0)).row();
        return table.isTicked(row) ? std::optional<int>(row) : std::nullopt;
    };
    int at = -1;
    if (current && (step == Step::Previous || step == Step::Next))
        at = view.mapFromSource(table.index(*current, 0)).row();
    if (at < 0 && step == Step::Next)
        step = Step::First;
    if (at < 0 && step == Step::Previous)
        step = Step::Last;
    const bool forward = step == Step::First || step == Step::Next;
    int viewRow = step == Step::First  ? 0
                  : step == Step::Last ? count - 1
                                       : at + (forward ? 1 : -1);
    for (; viewRow >= 0 && viewRow < count; viewRow += forward ? 1 : -1)
        if (const std::optional<int> row = ticked(viewRow))
            return row;
    return std::nullopt;
}

} // namespace brindlecast

#include "moc_RecipientFilter.cpp"
