// The table as shown: filtered, sorted, and stepped through its ticked rows.
#include "merge/RecipientFilter.h"

#include "MergeLists.h"
#include "merge/RecipientTable.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using testing::MarkedList;

class RecipientFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.setList(MarkedList());
        filter.setSourceModel(&table);
    }

    std::optional<int> step(std::optional<int> current, Step how) {
        return StepTicked(filter, table, current, how);
    }

    RecipientTable table;
    RecipientFilter filter;
    QAbstractItemModelTester tester{&filter, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(RecipientFilterTest, FiltersAcrossEveryColumnAndSortsNumbersAsNumbers) {
    filter.setFilterText(QStringLiteral("  oSLo "));
    EXPECT_EQ(filter.shownRows(), std::vector<int>({3, 4}));
    // The notes are searched too; the recipient's number is not (5 is in no cell).
    filter.setFilterText(QStringLiteral("e-mail"));
    EXPECT_EQ(filter.shownRows(), std::vector<int>({1, 2}));
    filter.setFilterText(QStringLiteral("5"));
    EXPECT_TRUE(filter.shownRows().empty());
    filter.setFilterText(QString());

    // Points: 10, 9, 100, 2, 11, compared as numbers and not letter by letter.
    filter.sort(6, Qt::AscendingOrder);
    EXPECT_EQ(filter.shownRows(), std::vector<int>({3, 1, 0, 4, 2}));
    // Street: "Oak 2" before "Oak 10"; letter case does not put "ann" after "Vered".
    filter.sort(2, Qt::AscendingOrder);
    EXPECT_EQ(filter.shownRows(), std::vector<int>({0, 1, 2, 4, 3}));
    filter.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(filter.shownRows(), std::vector<int>({4, 3, 2, 0, 1}));
    filter.sort(RecipientTable::TickColumn, Qt::DescendingOrder);
    EXPECT_EQ(filter.shownRows(), std::vector<int>({4, 3, 2, 1, 0}));

    // A filtered, sorted view follows marks that arrive later.
    filter.setFilterText(QStringLiteral("left empty"));
    EXPECT_TRUE(filter.shownRows().empty());
    table.setMarks({{}, {}, {}, QStringLiteral("[Salutation] left empty")});
    EXPECT_EQ(filter.shownRows(), std::vector<int>({3}));
}

TEST_F(RecipientFilterTest, StepsThroughTheTickedRowsInTheOrderShown) {
    // Shown by Points: 4 (2), 2 (9), 1 (10), 5 (11), 3 (100); 3 is a duplicate, 2 unticked.
    filter.sort(6, Qt::AscendingOrder);
    table.setTicked(1, false);
    EXPECT_EQ(step(std::nullopt, Step::First), 3);
    EXPECT_EQ(step(3, Step::Next), 0);
    EXPECT_EQ(step(0, Step::Next), 4);
    EXPECT_EQ(step(4, Step::Next), std::nullopt);
    EXPECT_EQ(step(std::nullopt, Step::Last), 4);
    EXPECT_EQ(step(0, Step::Previous), 3);
    EXPECT_EQ(step(3, Step::Previous), std::nullopt);
    // From an unticked row, on to the ticked ones beside it.
    EXPECT_EQ(step(1, Step::Next), 0);
    EXPECT_EQ(step(1, Step::Previous), 3);
    // From a row the filter hides, or none, Next starts at the top and Previous at the bottom.
    filter.setFilterText(QStringLiteral("Oslo"));
    EXPECT_EQ(step(0, Step::Next), 3);
    EXPECT_EQ(step(0, Step::Previous), 4);
    EXPECT_EQ(step(std::nullopt, Step::Next), 3);
    table.tickAll(filter.shownRows(), false);
    EXPECT_EQ(step(std::nullopt, Step::First), std::nullopt);
    EXPECT_EQ(step(std::nullopt, Step::Last), std::nullopt);
    EXPECT_EQ(table.tickedText(), "1 of 5 ticked");
}

} // namespace
} // namespace brindlecast
