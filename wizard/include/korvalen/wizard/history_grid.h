// The history grid StringGrid2 without its window: the cell texts, each
// row's entry, the cursor and the anchor, and the editing rules by which a
// typed row becomes an entry of the wizard's history list. The grid view
// only forwards keys, clicks and typed texts here, so every rule can be
// driven and checked without a window.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/platform/messages.h"

namespace korvalen::wizard {

// A cell in the grid's own numbering: row 0 is the heading row and column 0
// the row numbers; rows 1 to 999 hold the entries.
struct GridCell {
    int col = 1;
    int row = 1;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

inline constexpr int kHistoryGridRows = 999;  // data rows, below the heading row
inline constexpr int kHistoryGridColumns = 5;
inline constexpr int kDateCol = 1;
inline constexpr int kBorrowingCol = 2;
inline constexpr int kRepaymentCol = 3;
inline constexpr int kRateCol = 4;

// The text of a date cell whose mask holds no digit yet.
inline constexpr std::string_view kEmptyDateText = "  /  /  ";

// The key that made a commit. A commit from the mouse passes Down; the
// same-day option passes None.
enum class GridKey { None, Tab, Enter, Down };

// What the grid did with a mouse button going down on a data cell, and so
// what the view still does with the click.
enum class PressOutcome {
    Through,  // the clicked cell becomes the current cell, as in any grid
    Placed,   // the cursor was put elsewhere (a click too far down is sent back)
    Handled,  // the right button asked whether to delete the row's entry
};

// Told of every change a view has to show.
class HistoryGridListener {
public:
    virtual ~HistoryGridListener() = default;
    virtual void RowsChanged(int firstRow, int lastRow) = 0;
    // The rules moved the cursor (not the user's own navigation).
    virtual void CursorPlaced(GridCell cell) = 0;
    virtual void TotalsChanged(std::int64_t borrowings, std::int64_t repayments) = 0;
};

class HistoryGrid {
public:
    explicit HistoryGrid(platform::MessageService& messages);
    HistoryGrid(const HistoryGrid&) = delete;
    HistoryGrid& operator=(const HistoryGrid&) = delete;

    void SetListener(HistoryGridListener* listener) { listener_ = listener; }

    // The wizard's history list. The grid refers to its entries and never
    // owns them. Setting a list empties the grid; WriteRowsFromList shows it.
    void SetHistory(engine::HistoryList* list);
    engine::HistoryList* History() const { return list_; }
    // The calculation start date (0 = none): earlier dates are refused.
    void SetStartDate(engine::DayNumber day) { startDay_ = day; }
    engine::DayNumber StartDate() const { return startDay_; }
    // The case's contract rate in percent, the rate of a first entry.
    void SetContractRate(double percent) { contractRate_ = percent; }
    double ContractRate() const { return contractRate_; }
    // CheckBox3 同一日は入力順に表示する: same-day entries in input order.
    // Setting it only chooses the ordering; SameDayOptionToggled re-sorts.
    void SetInputOrder(bool on) { inputOrder_ = on; }
    bool InputOrder() const { return inputOrder_; }

    // Cell texts: row 0 the headings, column 0 the row numbers.
    std::string CellText(GridCell cell) const;
    // A text the user typed into a data cell. The cell becomes the anchor,
    // so a click elsewhere commits the row that was typed in.
    void SetCellText(GridCell cell, std::string text);
    // The entry a data row refers to, or null.
    const engine::HistoryEntry* RowEntry(int row) const;

    // The current cell. The view reports the user's own moves here; the
    // rules move it through the listener's CursorPlaced.
    GridCell Cursor() const { return cursor_; }
    void SetCursor(GridCell cell) { cursor_ = cell; }
    // The cell whose row a click elsewhere commits.
    GridCell Anchor() const { return anchor_; }

    // Takes the typed row over into the history list; true when it did.
    bool CommitRow(int col, int row, bool fromMouse, GridKey key);
    // Re-sorts when col is the rate column or key is Down, rewrites rows
    // 1 to n from the list, sets the totals, and after a rate commit shows
    // the leap-year warnings: one plain box per neighbouring pair whose
    // period crosses a year end into or out of a leap year and touches the
    // reference date (engine::LeapYearWarnings). The reference date is the
    // committed entry's date, or for the same-day option the date of the
    // cursor row's entry: the warning concerns what the user just did, and a
    // long history does not answer every rate with a box per year end.
    // Without a reference date no warning is shown.
    void RedisplayHistory(int col, GridKey key, std::optional<engine::DayNumber> leapReference = std::nullopt);
    // Empties every data cell and every row's entry reference; the row
    // numbers stay.
    void ClearGrid();
    // Rows 1 to n (at most 999) refer to the list's entries in list order
    // and show them; rows below that still referred to an entry are emptied.
    // No re-sort and no totals: the bulk tools write the grid this way.
    void WriteRowsFromList();
    // Shows one field of a row's entry anew, dropping only what was typed
    // in that cell: a bulk tool changed that field, and what the user typed
    // elsewhere in the row is still to be taken over.
    void WriteCell(GridCell cell);
    // The sums of all borrowings and all repayments of the list.
    void UpdateTotals();
    std::int64_t BorrowingTotal() const { return borrowingTotal_; }
    std::int64_t RepaymentTotal() const { return repaymentTotal_; }

    // A key that commits: Tab, Enter and Down on the current cell.
    void CommitKey(GridKey key);
    // Before the history is used (leaving the page): the row being typed is
    // taken over as a click elsewhere would take it. False when it was
    // refused with a message (a bad date, an amount too large), so the
    // caller can stay on the page.
    bool CommitTypedRow();
    // A mouse button going down over a data cell.
    PressOutcome MousePress(GridCell cell, bool rightButton);
    // The user toggled CheckBox3.
    void SameDayOptionToggled(bool checked);
    // Tab-separated rows (date, borrowing, repayment[, rate]) appended as
    // entries and re-sorted; a bad row refuses the whole paste with a
    // message. True when something was taken.
    bool Paste(std::string_view text);

private:
    struct Row {
        engine::HistoryEntry* entry = nullptr;
        // Texts typed since the row was last written; otherwise a cell shows
        // its entry (or nothing).
        std::array<std::optional<std::string>, 4> typed;
    };

    Row& RowAt(int row) { return rows_[static_cast<std::size_t>(row)]; }
    const Row& RowAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    int ShownEntryCount() const;
    void SetTyped(GridCell cell, std::string text);
    void PlaceCursor(GridCell cell);
    void NotifyRows(int firstRow, int lastRow);
    // The date of the row's date text, or nothing after the message and the
    // clean-up of a bad or too early date.
    std::optional<engine::DayNumber> CheckedDate(const std::string& text, int row);
    // Borrowing, repayment and rate of a row, or nothing after a message on
    // a figure too large to hold.
    struct RowFigures {
        std::int32_t borrowing;
        std::int32_t repayment;
        engine::FixedRate rate;
    };
    std::optional<RowFigures> ReadFigures(int row);
    void AskToDelete(int row);
    void Refuse(std::string_view message, GridCell cursor);

    platform::MessageService& messages_;
    HistoryGridListener* listener_ = nullptr;
    engine::HistoryList* list_ = nullptr;
    engine::DayNumber startDay_ = 0;
    double contractRate_ = 0;
    bool inputOrder_ = false;
    std::vector<Row> rows_;
    GridCell cursor_{kDateCol, 1};
    GridCell anchor_{kDateCol, 1};
    std::int64_t borrowingTotal_ = 0;
    std::int64_t repaymentTotal_ = 0;
    bool refused_ = false;  // the last commit ended with a message
};

}  // namespace korvalen::wizard
