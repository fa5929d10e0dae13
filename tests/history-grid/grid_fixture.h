// A history grid over a small history, with the message script that
// answers it, for the tests of the grid's rules and of its window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/history_csv.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/wizard/history_grid.h"

namespace korvalen::wizard::fixtures {

inline constexpr double kContractRate = 29.2;

// "2006-03-10,50000,0[,rate]" lines, as a history file holds them; no lines
// is the empty history.
inline engine::HistoryList History(std::string_view csv) {
    if (csv.empty()) return {};
    engine::CaseRecord settings;
    settings.RIRITSU = kContractRate;
    return engine::ReadHistoryCsv(csv, settings).entries;
}

// The dates of the list in list order, as the grid writes them.
inline std::vector<std::string> Dates(const engine::HistoryList& list) {
    std::vector<std::string> dates;
    for (const auto& entry : list) dates.push_back(engine::FormatGridDate(entry->date));
    return dates;
}

struct GridFixture {
    platform::ScriptedMessages messages;
    engine::HistoryList list;
    HistoryGrid grid{messages};

    explicit GridFixture(std::string_view csv = {}) : list(History(csv)) {
        grid.SetHistory(&list);
        grid.SetContractRate(kContractRate);
        grid.ClearGrid();
        grid.WriteRowsFromList();
        grid.UpdateTotals();
    }

    // Types into the current cell and presses a key that commits it.
    void Type(std::string text, GridKey key = GridKey::Tab) {
        grid.SetCellText(grid.Cursor(), std::move(text));
        grid.CommitKey(key);
    }
    void Press(GridKey key) { grid.CommitKey(key); }
    void MoveTo(int col, int row) { grid.SetCursor({col, row}); }

    std::vector<std::string> RowTexts(int row) const {
        std::vector<std::string> texts;
        for (int col = kDateCol; col <= kRateCol; ++col) texts.push_back(grid.CellText({col, row}));
        return texts;
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : messages.Shown()) texts.push_back(shown.text);
        return texts;
    }
};

}  // namespace korvalen::wizard::fixtures
