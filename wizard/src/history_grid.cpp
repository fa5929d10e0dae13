#include "korvalen/wizard/history_grid.h"

#include <algorithm>

#include "korvalen/engine/day_count.h"
#include "korvalen/engine/errors.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/wizard/history_paste.h"

namespace korvalen::wizard {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

constexpr std::array<std::string_view, kHistoryGridColumns> kHeadings = {"行", "年月日", "借入", "返済", "利率"};

constexpr std::string_view kBadDate = "日付が不正です。";
constexpr std::string_view kBeforeStart = "計算開始日より前の日付の入力はできません。";

std::string EntryText(const engine::HistoryEntry& entry, int col) {
    switch (col) {
        case kDateCol: return engine::FormatGridDate(entry.date);
        case kBorrowingCol: return engine::FormatAmount(entry.borrowing);
        case kRepaymentCol: return engine::FormatAmount(entry.repayment);
        default: return engine::FormatGridRate(entry.rate);
    }
}

bool IsDataCell(GridCell cell) {
    return cell.row >= 1 && cell.row <= kHistoryGridRows && cell.col >= kDateCol && cell.col <= kRateCol;
}

}  // namespace

HistoryGrid::HistoryGrid(platform::MessageService& messages)
    : messages_(messages), rows_(static_cast<std::size_t>(kHistoryGridRows) + 1) {}

void HistoryGrid::SetHistory(engine::HistoryList* list) {
    list_ = list;
    ClearGrid();
}

std::string HistoryGrid::CellText(GridCell cell) const {
    if (cell.col < 0 || cell.col >= kHistoryGridColumns || cell.row < 0 || cell.row > kHistoryGridRows) return {};
    if (cell.row == 0) return std::string(kHeadings[static_cast<std::size_t>(cell.col)]);
    if (cell.col == 0) return std::to_string(cell.row);
    const Row& row = RowAt(cell.row);
    if (const auto& typed = row.typed[static_cast<std::size_t>(cell.col - 1)]) return *typed;
    return row.entry != nullptr ? EntryText(*row.entry, cell.col) : std::string();
}

void HistoryGrid::SetCellText(GridCell cell, std::string text) {
    if (!IsDataCell(cell)) return;
    SetTyped(cell, std::move(text));
    anchor_ = cell;
}

const engine::HistoryEntry* HistoryGrid::RowEntry(int row) const {
    if (row < 1 || row > kHistoryGridRows) return nullptr;
    return RowAt(row).entry;
}

void HistoryGrid::SetTyped(GridCell cell, std::string text) {
    RowAt(cell.row).typed[static_cast<std::size_t>(cell.col - 1)] = std::move(text);
    NotifyRows(cell.row, cell.row);
}

void HistoryGrid::PlaceCursor(GridCell cell) {
    cursor_ = cell;
    if (listener_ != nullptr) listener_->CursorPlaced(cell);
}

void HistoryGrid::NotifyRows(int firstRow, int lastRow) {
    if (listener_ != nullptr && firstRow <= lastRow) listener_->RowsChanged(firstRow, lastRow);
}

int HistoryGrid::ShownEntryCount() const {
    return list_ == nullptr ? 0 : static_cast<int>(std::min<std::size_t>(list_->size(), kHistoryGridRows));
}

std::optional<engine::DayNumber> HistoryGrid::CheckedDate(const std::string& text, int row) {
    const auto date = engine::ParseGridDate(text);
    std::string_view problem;
    if (!date) {
        problem = kBadDate;
    } else if (startDay_ != 0 && *date < startDay_) {
        problem = kBeforeStart;
    } else {
        return date;
    }
    SetTyped({kDateCol, row}, {});
    Refuse(problem, {kDateCol, row});
    return std::nullopt;
}

void HistoryGrid::Refuse(std::string_view message, GridCell cursor) {
    refused_ = true;
    messages_.Show(MessageType::Error, Buttons::Ok, std::string(message));
    PlaceCursor(cursor);
}

std::optional<HistoryGrid::RowFigures> HistoryGrid::ReadFigures(int row) {
    int col = kBorrowingCol;
    try {
        RowFigures figures{};
        figures.borrowing = engine::ParseAmountText(CellText({kBorrowingCol, row}));
        col = kRepaymentCol;
        figures.repayment = engine::ParseAmountText(CellText({kRepaymentCol, row}));
        col = kRateCol;
        // An untouched rate cell keeps its entry's own rate: the cell shows
        // three decimals, and a pasted or imported rate may have four.
        const Row& shown = RowAt(row);
        figures.rate = shown.entry != nullptr && !shown.typed[static_cast<std::size_t>(kRateCol - 1)]
                           ? shown.entry->rate
                           : engine::RateToFixed(engine::ParseRateText(CellText({kRateCol, row})));
        return figures;
    } catch (const engine::ConversionError& e) {
        // Too many digits for the figure's width: nothing is taken, and the
        // cursor waits in the cell at fault.
        Refuse(e.what(), {col, row});
        return std::nullopt;
    }
}

bool HistoryGrid::CommitRow(int col, int row, bool fromMouse, GridKey key) {
    refused_ = false;
    if (list_ == nullptr || !IsDataCell({col, row})) return false;
    const std::string d = CellText({kDateCol, row});
    // A row without a date takes nothing; from another column the cursor
    // goes back to the date cell.
    if (d.empty() || d == kEmptyDateText) {
        if (!d.empty()) SetTyped({kDateCol, row}, {});
        if (col != kDateCol) PlaceCursor({kDateCol, row});
        return false;
    }
    // A date typed and left without its own commit (the anchor in another
    // column) is checked all the same before it becomes an entry's date.
    const std::optional<engine::DayNumber> date = CheckedDate(d, row);
    if (!date) return false;

    int target = row;
    engine::HistoryEntry* entry = RowAt(row).entry;
    if (entry == nullptr) {
        // New entries belong in the first empty row under the last entry; a
        // row typed further down (reached by Page Down) is taken there, so
        // no row shows an entry twice.
        const int firstEmpty = ShownEntryCount() + 1;
        if (firstEmpty > kHistoryGridRows) return false;
        target = std::min(row, firstEmpty);
    }
    const auto figures = ReadFigures(row);
    if (!figures) return false;

    if (entry != nullptr) {
        entry->date = *date;
        entry->borrowing = figures->borrowing;
        entry->repayment = figures->repayment;
        entry->rate = figures->rate;
    } else {
        auto created = std::make_unique<engine::HistoryEntry>();
        created->date = *date;
        created->borrowing = figures->borrowing;
        created->repayment = figures->repayment;
        if (target == 1) {
            created->rate = figures->rate != 0 ? figures->rate : engine::RateToFixed(contractRate_);
        } else {
            // The rate of the entry above, exactly as stored (its row is
            // always an entry: new entries go right under the last one).
            created->rate = RowAt(target - 1).entry->rate;
        }
        created->order = target;
        if (target != row) {
            RowAt(row) = Row{};
            NotifyRows(row, row);
        }
        list_->push_back(std::move(created));
    }

    RedisplayHistory(col, key, *date);

    if (!fromMouse) {
        GridCell next = col == kRateCol ? GridCell{kDateCol, target + 1} : GridCell{col + 1, target};
        next.row = std::min(next.row, kHistoryGridRows);
        PlaceCursor(next);
        anchor_ = next;
    }
    return true;
}

void HistoryGrid::RedisplayHistory(int col, GridKey key, std::optional<engine::DayNumber> leapReference) {
    if (list_ == nullptr) return;
    if (col == kRateCol || key == GridKey::Down) engine::SortHistory(*list_, inputOrder_ ? 1 : 0);
    WriteRowsFromList();
    UpdateTotals();
    if (col == kRateCol && leapReference) {
        for (const std::string& warning : engine::LeapYearWarnings(*list_, *leapReference)) {
            messages_.ShowPlain(warning);
        }
    }
}

void HistoryGrid::ClearGrid() {
    for (Row& row : rows_) row = Row{};
    NotifyRows(1, kHistoryGridRows);
}

void HistoryGrid::WriteRowsFromList() {
    const int shown = ShownEntryCount();
    int last = shown;
    for (int row = 1; row <= shown; ++row) {
        RowAt(row) = Row{(*list_)[static_cast<std::size_t>(row - 1)].get(), {}};
    }
    // Rows below the list that still refer to an entry would show one that
    // may be gone.
    for (int row = shown + 1; row <= kHistoryGridRows; ++row) {
        if (RowAt(row).entry != nullptr) {
            RowAt(row) = Row{};
            last = row;
        }
    }
    NotifyRows(1, last);
}

void HistoryGrid::WriteCell(GridCell cell) {
    if (!IsDataCell(cell)) return;
    RowAt(cell.row).typed[static_cast<std::size_t>(cell.col - 1)].reset();
    NotifyRows(cell.row, cell.row);
}

void HistoryGrid::UpdateTotals() {
    borrowingTotal_ = 0;
    repaymentTotal_ = 0;
    if (list_ != nullptr) {
        for (const auto& entry : *list_) {
            borrowingTotal_ += entry->borrowing;
            repaymentTotal_ += entry->repayment;
        }
    }
    if (listener_ != nullptr) listener_->TotalsChanged(borrowingTotal_, repaymentTotal_);
}

void HistoryGrid::CommitKey(GridKey key) { CommitRow(cursor_.col, cursor_.row, false, key); }

bool HistoryGrid::CommitTypedRow() {
    CommitRow(anchor_.col, anchor_.row, true, GridKey::Down);
    return !refused_;
}

PressOutcome HistoryGrid::MousePress(GridCell cell, bool rightButton) {
    if (!IsDataCell(cell)) return PressOutcome::Through;
    if (rightButton && RowAt(cell.row).entry != nullptr) {
        PlaceCursor(cell);
        AskToDelete(cell.row);
        return PressOutcome::Handled;
    }
    const bool taken = CommitRow(anchor_.col, anchor_.row, true, GridKey::Down);
    if (taken ? RowEntry(cell.row - 1) != nullptr || RowEntry(cell.row) != nullptr : RowEntry(cell.row) != nullptr) {
        anchor_ = cell;
        cursor_ = cell;
        return PressOutcome::Through;
    }
    PlaceCursor(taken ? anchor_ : GridCell{kDateCol, anchor_.row});
    return PressOutcome::Placed;
}

void HistoryGrid::AskToDelete(int row) {
    const engine::HistoryEntry& entry = *RowAt(row).entry;
    const std::string question = "このデータを削除しますか？\r\n\r\n日付＝" + engine::FormatGridDate(entry.date) +
                                 "\r\n借入＝" + engine::FormatAmount(entry.borrowing) + "\r\n返済＝" +
                                 engine::FormatAmount(entry.repayment) + "\r\n利率＝" +
                                 engine::FormatGridRate(entry.rate);
    if (messages_.Show(MessageType::Information, Buttons::YesCancel, question) != Answer::Yes) return;
    const auto found =
        std::find_if(list_->begin(), list_->end(), [&](const auto& owned) { return owned.get() == &entry; });
    if (found != list_->end()) list_->erase(found);
    ClearGrid();
    WriteRowsFromList();
    UpdateTotals();
}

void HistoryGrid::SameDayOptionToggled(bool checked) {
    inputOrder_ = checked;
    const engine::HistoryEntry* current = RowEntry(cursor_.row);
    RedisplayHistory(kRateCol, GridKey::None,
                     current != nullptr ? std::optional<engine::DayNumber>(current->date) : std::nullopt);
}

bool HistoryGrid::Paste(std::string_view text) {
    if (list_ == nullptr) return false;
    std::vector<PastedEntry> pasted;
    try {
        pasted = ReadPastedHistory(text, startDay_);
    } catch (const PasteError& e) {
        messages_.Show(
            MessageType::Warning, Buttons::Ok,
            "貼り付ける内容の" + std::to_string(e.line()) + "行目：" + e.what() + "\r\n何も貼り付けていません。");
        return false;
    }
    if (pasted.empty()) {
        messages_.Show(MessageType::Warning, Buttons::Ok, "貼り付ける履歴データがありません。");
        return false;
    }
    if (list_->size() + pasted.size() > kHistoryGridRows) {
        messages_.Show(MessageType::Warning, Buttons::Ok,
                       "貼り付けると履歴が" + std::to_string(kHistoryGridRows) + "件を超えます（入力済" +
                           std::to_string(list_->size()) + "件、貼り付け" + std::to_string(pasted.size()) +
                           "件）。\r\n何も貼り付けていません。");
        return false;
    }

    // Each pasted row is numbered and rated as if it had been typed into the
    // next empty row: the rate of the row above when it brings none.
    engine::FixedRate rateAbove = list_->empty() ? engine::RateToFixed(contractRate_) : list_->back()->rate;
    int order = static_cast<int>(list_->size());
    for (const PastedEntry& row : pasted) {
        auto entry = std::make_unique<engine::HistoryEntry>();
        entry->date = row.date;
        entry->borrowing = row.borrowing;
        entry->repayment = row.repayment;
        entry->rate = row.rate.value_or(rateAbove);
        entry->order = ++order;
        rateAbove = entry->rate;
        list_->push_back(std::move(entry));
    }
    RedisplayHistory(kDateCol, GridKey::Down);
    const GridCell next{kDateCol, std::min(ShownEntryCount() + 1, kHistoryGridRows)};
    PlaceCursor(next);
    anchor_ = next;
    return true;
}

}  // namespace korvalen::wizard
