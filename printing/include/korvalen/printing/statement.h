// The calculation statement (計算書): the A4 portrait pages of a
// recalculation, each with its title, page number, names, the optional
// start-date and remarks band and the ruled table of the recalculation
// rows. Drawing only; printing, the preview and PDF files are in
// statement_print.h.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/result_table.h"

class QPainter;

namespace korvalen::printing {

inline constexpr int kStatementColumns = 11;
using StatementRow = std::array<QString, kStatementColumns>;

// What a statement prints, taken from the wizard as the printout starts.
struct StatementInput {
    QString creditor;  // GYOSYA_NAME
    QString debtor;    // NAME
    QString remarks;   // BIKO
    // A start date is set (START_DAY ≠ 0); its long form as the wizard shows it.
    bool startDateShown = false;
    QString startDateText;
    std::int64_t startBalance = 0;  // START_KARI, yen
    StatementRow headings;          // the recalculation table's heading row
    // The table's rows after the heading, as texts; printing stops at the
    // first row whose date cell is empty.
    std::vector<StatementRow> rows;
    int entryCount = 0;  // length of the history list
    // The claim line printed under the table on the last page; empty: none.
    QString claimSummary;
};

// The input for a case and its recalculation table (kind Recalculation),
// with the start date in the long form of the chosen calendar and the
// claim line of the table's last row.
StatementInput StatementFrom(const engine::CaseRecord& header, const engine::ResultTable& recalculation, int entryCount,
                             bool westernCalendar);

// The claim on one line: 過払金, 未払過払利息 and 請求額 (or the 残元金 still
// owed), two ideographic spaces apart; empty for a table without entries.
QString ClaimSummaryLine(const engine::ResultTable& recalculation);

// Where the table sits, decided by the start-date and remarks bands.
struct StatementGeometry {
    bool startDateShown = false;
    bool remarksShown = false;
    int tableTop = 320;     // layout units
    int firstRowTop = 400;  // layout units
    int rowsPerPage = 48;
};
StatementGeometry GeometryOf(const StatementInput& input);

// ceil(entries ÷ rows per page), at least 1: the frame page is always drawn.
int StatementPageCount(const StatementInput& input);

// The pages a printout covers, counted from 1.
struct PageRange {
    int from = 1;
    int to = 1;
};

// The claim line starts this far down the page, below the table's frame.
inline constexpr int kClaimSummaryTop = 3300;

// Everything of one page but the rows: shading, texts and ruling, with
// `pageNumber` as its number. The module state must describe the target.
void DrawStatementFrame(QPainter& painter, const StatementInput& input, int pageNumber);

// Walks the rows, drawing those on the pages of `range`; `newPage` begins
// the next sheet (or page image) whenever a page in the range is full and
// more rows follow. Draws the claim line on the last page when that page
// is in the range and the target's page has room for it below the frame.
void DrawStatementRows(QPainter& painter, const StatementInput& input, const PageRange& range,
                       const std::function<void()>& newPage);

}  // namespace korvalen::printing
