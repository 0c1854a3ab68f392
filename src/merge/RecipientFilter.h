#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>
#include <QString>
#include <optional>
#include <vector>

namespace brindlecast {

class RecipientTable;

/// The recipients as the table shows them: only the rows where some column holds the filter
/// text (letter case ignored), sorted by a column's header as asked. The number column sorts
/// numerically, text by the collation of the user's language with numbers inside it compared as
/// numbers ("Oak 2" before "Oak 10").
class RecipientFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit RecipientFilter(QObject* parent = nullptr);

    /// Shows the rows that hold `text` in a column of the list or in their notes; all rows when
    /// it is blank. The recipient's number is not searched: "3" would match every tenth row.
    void setFilterText(const QString& text);
    QString filterText() const { return mText; }

    /// The source rows shown, in the order shown.
    std::vector<int> shownRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString mText;
    QCollator mCollator;
};

/// Where First, Previous, Next and Last go.
enum class Step { First, Previous, Next, Last };

/// The ticked recipient (a source row of `table`) that `step` goes to from `current`, in the
/// order `view` (a proxy whose source is `table`) shows them; none when there is none that way.
/// Previous and Next go from where `current` is shown, whether it is ticked or not; from no
/// row, or one the view hides, they go as Last and First do.
std::optional<int> StepTicked(const QAbstractProxyModel& view, const RecipientTable& table,
                              std::optional<int> current, Step step);

} // namespace brindlecast
