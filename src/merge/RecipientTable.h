#pragma once

#include "newsletter/Recipients.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <vector>

namespace brindlecast {

/// The recipients of a list as a table, a row each in list order: a tick column (the
/// recipient's number as the summaries count them, from 1, with a tick box for "make this
/// one"), every column of the list under its name as the file spells it, and the marks
/// (see MarkRecipients) under "Notes". A marked row shows its marks as every cell's tool tip
/// and the mark icon, when one is given, beside its number.
class RecipientTable : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int TickColumn = 0;

    explicit RecipientTable(QObject* parent = nullptr);

    /// Shows `list`, every recipient ticked but the duplicates, which a run leaves out. The
    /// marks are those found without a template until setMarks replaces them.
    void setList(RecipientList list);
    const RecipientList& list() const { return mList; }

    /// Replaces the marks, one per recipient in list order (a shorter vector leaves the rest
    /// unmarked), as MarkRecipients gives them once the template is read.
    void setMarks(std::vector<QString> marks);
    QString marks(int row) const;
    /// Marks `rows` as having this newsletter already (the send journal says so) and unticks
    /// them: a send would not send it to them again.
    void setSent(const std::vector<int>& rows);
    /// The icon a marked row shows beside its number: the style's warning icon, given by the
    /// window that has a style.
    void setMarkIcon(const QIcon& icon);

    int notesColumn() const { return int(mList.columns.size()) + 1; }

    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);
    /// Ticks or unticks each of `rows` (0-based, in list order or not): "tick all those the
    /// filter shows".
    void tickAll(const std::vector<int>& rows, bool ticked);
    /// The ticked recipients (0-based) in list order.
    std::vector<int> ticked() const;
    /// "37 of 40 ticked".
    QString tickedText() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    /// The ticks changed: by a click in the table or by a call.
    void tickedChanged();

private:
    QVariant tickData(int row, int role) const;
    void ticksChanged(int first, int last);

    RecipientList mList;
    std::vector<char> mTicked;
    std::vector<QString> mMarks;
    QIcon mMarkIcon;
};

} // namespace brindlecast
