// Statements for the printing tests: a synthetic one whose cells say which
// row they belong to, and a recalculated one from a generated history.
#pragma once

#include <QImage>
#include <QString>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/printing/statement.h"

namespace korvalen::printing::fixtures {

inline constexpr const char* kLongRemarks = "平成20年(ワ)第1234号　不当利得返還請求事件";

inline StatementRow Headings() {
    return {QStringLiteral("取引日"),     QStringLiteral("借入額"),      QStringLiteral("返済額"),
            QStringLiteral("日数"),       QStringLiteral("利率"),        QStringLiteral("利息"),
            QStringLiteral("元金返済額"), QStringLiteral("残元金"),      QStringLiteral("未払利息"),
            QStringLiteral("過払利息"),   QStringLiteral("未払過払利息")};
}

// `rows` rows whose date cell reads "#1", "#2", …; the other cells hold
// the row number too, so every drawn text tells its row.
inline StatementInput NumberedStatement(int rows, bool startDate = false, bool remarks = false) {
    StatementInput input;
    input.creditor = QStringLiteral("アコム株式会社");
    input.debtor = QStringLiteral("山田太郎");
    if (remarks) input.remarks = QString::fromUtf8(kLongRemarks);
    input.startDateShown = startDate;
    if (startDate) input.startDateText = QStringLiteral("平成12年01月01日");
    input.startBalance = 1234567;
    input.headings = Headings();
    for (int r = 1; r <= rows; ++r) {
        StatementRow row;
        row[0] = QStringLiteral("#%1").arg(r);
        for (int c = 1; c < kStatementColumns; ++c) row[c] = QString::number(r);
        input.rows.push_back(row);
    }
    input.entryCount = rows;
    return input;
}

// A recalculated case of `entries` entries: a borrowing of 500,000 yen on
// 2000-01-10 at 29.2 %, then monthly repayments of 15,000 yen.
inline StatementInput RecalculatedStatement(int entries, bool startDate = false, bool remarks = false,
                                            bool western = false) {
    engine::CaseRecord header;
    header.GYOSYA_NAME = "アコム株式会社";
    header.NAME = "山田太郎";
    if (remarks) header.BIKO = kLongRemarks;
    header.RIRITSU = 29.2;
    header.KABARAI_RIRITSU = 5;
    if (startDate) {
        header.START_DAY = engine::DayNumberFromCivil(2000, 1, 1);
        header.START_KARI = 200000;
    }
    engine::HistoryList history;
    for (int i = 0; i < entries; ++i) {
        auto entry = std::make_unique<engine::HistoryEntry>();
        entry->date = engine::DayNumberFromCivil(2000 + (i / 12), 1 + i % 12, 10);
        entry->order = i + 1;
        entry->borrowing = i == 0 ? 500000 : 0;
        entry->repayment = i == 0 ? 0 : 15000;
        entry->rate = engine::RateToFixed(29.2);
        history.push_back(std::move(entry));
    }
    engine::HistoryList copy = engine::CopyHistory(history);
    engine::CalculationOptions options;
    options.westernCalendar = western;
    options.onWarning = [](const engine::CalculationWarning&) {};
    const engine::ResultTable table =
        engine::RunCalculation(engine::CalculationKind::Recalculation, copy, header, options);
    return StatementFrom(header, table, entries, western);
}

}  // namespace korvalen::printing::fixtures
