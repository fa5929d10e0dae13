#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history_fixture.h"
#include "korvalen/engine/bulk_edit.h"

namespace korvalen::engine {
namespace {

constexpr FixedRate kOldRate = 292000;
constexpr FixedRate kNewRate = 180000;

// Entries on the 1st, 2nd, … of January 2024, borrowing n × 1,000 yen and
// repaying n yen, so every row is told apart by its day and its amounts.
HistoryList Numbered(int count) {
    HistoryList list;
    for (int n = 1; n <= count; ++n) {
        auto entry = std::make_unique<HistoryEntry>();
        entry->date = DayNumberFromCivil(2024, 1, 1) + (n - 1);
        entry->order = n;
        entry->borrowing = n * 1000;
        entry->repayment = n;
        entry->rate = kOldRate;
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<int> RowsLeft(const HistoryList& list) {
    std::vector<int> rows;
    for (const auto& entry : list) rows.push_back(entry->repayment);
    return rows;
}

TEST(ChangeRatesFrom, ChangesEveryEntryFromTheRowOn) {
    struct Case {
        int entries;
        int firstRow;
        std::size_t changed;
    };
    const std::vector<Case> cases = {
        {10, 3, 8},
        {10, 1, 10},
        {10, 10, 1},
        {10, 11, 0},
        // Past the rows the grid shows as well: "from row 3 on" means all of them.
        {1005, 3, 1003},
    };
    for (const auto& c : cases) {
        HistoryList list = Numbered(c.entries);
        EXPECT_EQ(ChangeRatesFrom(list, c.firstRow, kNewRate), c.changed) << c.firstRow;
        for (int row = 1; row <= c.entries; ++row) {
            const FixedRate expected = row >= c.firstRow ? kNewRate : kOldRate;
            ASSERT_EQ(list[static_cast<std::size_t>(row - 1)]->rate, expected) << c.entries << " from " << c.firstRow;
        }
    }
}

TEST(CheckRateChange, AsksForTheRateFirstThenTheRow) {
    EXPECT_FALSE(CheckRateChange(18, 3));
    const auto noRate = CheckRateChange(0, 0);
    ASSERT_TRUE(noRate);
    EXPECT_EQ(noRate->fault, RateChangeFault::NoRate);
    EXPECT_EQ(noRate->message, "【変更後の利率】を入力して下さい。");
    const auto noRow = CheckRateChange(18, 0);
    ASSERT_TRUE(noRow);
    EXPECT_EQ(noRow->fault, RateChangeFault::NoRow);
    EXPECT_EQ(noRow->message, "【何行目】を入力して下さい。");
}

TEST(DeleteRowRange, RemovesTheRowsInsideTheList) {
    struct Case {
        int first;
        int last;
        std::vector<int> left;
    };
    const std::vector<Case> cases = {
        {5, 999, {1, 2, 3, 4}},
        {9, 12, {1, 2, 3, 4, 5, 6, 7, 8}},
        {2, 3, {1, 4, 5, 6, 7, 8}},
        {8, 8, {1, 2, 3, 4, 5, 6, 7}},
        {1, 8, {}},
        {6, 5, {1, 2, 3, 4, 5, 6, 7, 8}},
        {0, 5, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        HistoryList list = Numbered(8);
        const std::size_t removed = DeleteRowRange(list, c.first, c.last);
        EXPECT_EQ(RowsLeft(list), c.left) << c.first << " to " << c.last;
        EXPECT_EQ(removed, 8 - c.left.size()) << c.first << " to " << c.last;
    }
}

TEST(IsDeletableRange, NeedsBothRowsInOrder) {
    EXPECT_TRUE(IsDeletableRange(5, 999));
    EXPECT_TRUE(IsDeletableRange(5, 5));
    EXPECT_FALSE(IsDeletableRange(6, 5));
    EXPECT_FALSE(IsDeletableRange(0, 5));
    EXPECT_FALSE(IsDeletableRange(5, 0));
}

}  // namespace
}  // namespace korvalen::engine
