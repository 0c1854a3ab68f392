// The recipients as a table: its columns, ticks and marks.
#include "merge/RecipientTable.h"

#include "MergeLists.h"
#include "merge/RecipientMarks.h"

#include <QAbstractItemModelTester>
#include <QPixmap>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using testing::MarkedList;

QString Header(const RecipientTable& table, int section) {
    return table.headerData(section, Qt::Horizontal).toString();
}

TEST(RecipientTable, ShowsEveryColumnAndTicksAllButTheDuplicates) {
    RecipientTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(&table, &RecipientTable::tickedChanged);
    table.setList(MarkedList());
    ASSERT_EQ(table.rowCount(), 5);
    ASSERT_EQ(table.columnCount(), 8);
    EXPECT_EQ(Header(table, 0), "Use");
    EXPECT_EQ(Header(table, 4), "Email");
    EXPECT_EQ(Header(table, table.notesColumn()), "Notes");
    EXPECT_EQ(table.index(2, 0).data(), 3);
    EXPECT_EQ(table.index(1, 1).data(), "Vered Iziva");
    EXPECT_EQ(table.index(1, table.notesColumn()).data(), "no e-mail address");
    EXPECT_EQ(table.index(1, 3).data(Qt::ToolTipRole), "no e-mail address");
    EXPECT_FALSE(table.index(0, 3).data(Qt::ToolTipRole).isValid());
    EXPECT_TRUE(table.index(1, 0).flags().testFlag(Qt::ItemIsUserCheckable));
    EXPECT_FALSE(table.index(1, 1).flags().testFlag(Qt::ItemIsUserCheckable));

    // As a run would: recipient 3 is recipient 1 again.
    EXPECT_EQ(table.ticked(), std::vector<int>({0, 1, 3, 4}));
    EXPECT_EQ(table.tickedText(), "4 of 5 ticked");
    EXPECT_EQ(table.index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(table.index(2, 0).data(Qt::AccessibleTextRole), "recipient 3, not ticked");
    EXPECT_EQ(changed.count(), 1);

    // A click in the view sets the check state as an enum; a tick already there is no change.
    EXPECT_TRUE(
        table.setData(table.index(2, 0), QVariant::fromValue(Qt::Checked), Qt::CheckStateRole));
    EXPECT_TRUE(table.setData(table.index(0, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    EXPECT_FALSE(table.setData(table.index(0, 1), int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_EQ(table.ticked(), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(table.index(2, 0).data(Qt::AccessibleTextRole), "recipient 3, ticked");
    EXPECT_EQ(changed.count(), 3);
    table.tickAll({4, 1, 3}, false);
    table.tickAll({4, 1, 3}, false);
    table.setTicked(7, true);
    EXPECT_EQ(table.tickedText(), "1 of 5 ticked");
    EXPECT_EQ(changed.count(), 4);

    // A new list starts afresh.
    table.setList(ParseRecipients("Name\nDana\nDana\n"));
    EXPECT_EQ(table.tickedText(), "1 of 2 ticked");
    EXPECT_EQ(Header(table, 2), "Notes");
}

TEST(RecipientTable, MarksReadLaterReplaceTheFirstAndShowTheIconGiven) {
    RecipientTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.setList(MarkedList());
    EXPECT_FALSE(table.index(1, 0).data(Qt::DecorationRole).isValid());
    QPixmap warning(8, 8);
    warning.fill(Qt::yellow);
    table.setMarkIcon(QIcon(warning));
    EXPECT_TRUE(table.index(1, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(table.index(0, 0).data(Qt::DecorationRole).isValid());

    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    const TemplateReport report =
        AnalyseTemplate({{TextPlace::MainText, QStringLiteral("Dear [Salutation]")}});
    table.setMarks(MarkRecipients(table.list(), &report, {}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(table.marks(1), "no e-mail address; [Salutation] left empty");
    EXPECT_EQ(table.index(1, 2).data(Qt::AccessibleDescriptionRole), table.marks(1));
    // Too few marks leave the rest unmarked rather than reading past the end.
    table.setMarks({QStringLiteral("look")});
    EXPECT_EQ(table.index(0, table.notesColumn()).data(), "look");
    EXPECT_EQ(table.index(4, table.notesColumn()).data(), "");
    EXPECT_FALSE(table.index(1, 0).data(Qt::DecorationRole).isValid());
}

} // namespace
} // namespace brindlecast
