// The engine's result tables against the previous implementation kept in
// bench/engine/previous: over many generated histories of every day-count
// method both must give the same texts, the same rates in the copy, the same
// warnings and the same errors.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/errors.h"
#include "previous_calculation.h"

namespace korvalen::engine {
namespace {

struct Outcome {
    std::vector<std::string> cells;  // every cell, row after row, padding included
    int rowCount = 0;
    int columnCount = 0;
    int entryRowCount = 0;
    std::vector<FixedRate> ratesAfter;
    std::vector<std::string> warnings;
    std::optional<std::string> error;
};

// Where two outcomes part, told so that a failure can be read; empty when
// they agree.
std::string FirstDifference(const Outcome& a, const Outcome& b) {
    if (a.error != b.error) return "error: " + a.error.value_or("none") + " / " + b.error.value_or("none");
    if (a.warnings != b.warnings) return "warnings differ";
    if (a.ratesAfter != b.ratesAfter) return "rates left in the copy differ";
    if (a.rowCount != b.rowCount || a.columnCount != b.columnCount || a.entryRowCount != b.entryRowCount) {
        return "table shape differs";
    }
    for (std::size_t i = 0; i < a.cells.size(); ++i) {
        if (a.cells[i] != b.cells[i]) {
            return "row " + std::to_string(i / a.columnCount) + " column " + std::to_string(i % a.columnCount) +
                   ": \"" + a.cells[i] + "\" / \"" + b.cells[i] + "\"";
        }
    }
    return {};
}

template <typename Table>
void ReadTable(const Table& table, Outcome& out) {
    out.rowCount = table.rowCount();
    out.columnCount = table.columnCount();
    out.entryRowCount = table.entryRowCount();
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < table.columnCount(); ++column) out.cells.emplace_back(table.cell(row, column));
    }
}

template <typename RunFunction>
Outcome Calculate(RunFunction run, CalculationKind kind, const HistoryList& history, const CaseRecord& settings,
                  bool western) {
    Outcome out;
    HistoryList entries = CopyHistory(history);
    const CalculationOptions options{western, [&](const CalculationWarning& w) {
                                         out.warnings.push_back(std::to_string(w.entryIndex) + ":" + w.message);
                                     }};
    try {
        ReadTable(run(kind, entries, settings, options), out);
    } catch (const CalculationError& e) {
        out.error = e.what();
    }
    for (const auto& e : entries) out.ratesAfter.push_back(e->rate);
    return out;
}

struct Generated {
    HistoryList history;
    CaseRecord settings;
    bool western = false;
};

// Histories as users type them, and some they should not: same-day entries,
// gaps of years, dates out of order, large amounts, contract rates above and
// below the limit rates, rate changes, with and without a start date.
Generated Generate(std::mt19937& random, int method) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    Generated g;
    g.settings.KEISAN_KIND = method;
    g.settings.SYONITI_UMU = pick(0, 1) == 1;
    g.settings.SEISAN_KIND = pick(0, 1);
    g.settings.KABARAI_RIRITSU = pick(0, 3) == 0 ? 0 : pick(0, 12000) / 1000.0;
    g.western = pick(0, 3) == 0;

    DayNumber date = DayNumberFromCivil(pick(1985, 2015), pick(1, 12), pick(1, 28));
    if (pick(0, 2) == 0) {
        g.settings.START_DAY = date - pick(0, 400);
        g.settings.START_KARI = pick(0, 2) == 0 ? 0 : pick(0, 1500000);
        g.settings.HIKI_RIRITU = pick(0, 2) == 0 ? pick(0, 2000000) : 0;
    }
    double rate = pick(0, 3) == 0 ? pick(500, 20000) / 1000.0 : pick(20001, 40004) / 1000.0;
    const int count = pick(0, 3) == 0 ? pick(1, 4) : pick(5, 160);
    for (int i = 0; i < count; ++i) {
        auto e = std::make_unique<HistoryEntry>();
        e->date = date;
        e->order = i;
        const int kind = pick(0, 9);
        if (kind == 0 || i == 0) e->borrowing = pick(1, 60) * 10000;
        if (kind == 1) e->borrowing = pick(0, 60) == 0 ? 2000000000 : pick(1, 2000) * 1000;
        if (kind >= 2) e->repayment = pick(0, 9) == 0 ? pick(0, 2000) : pick(1, 120) * 1000;
        if (kind == 2 && pick(0, 1)) e->borrowing = pick(1, 30) * 10000;
        if (pick(0, 15) == 0) rate = pick(0, 1) ? pick(500, 20000) / 1000.0 : pick(20001, 40004) / 1000.0;
        e->rate = RateToFixed(rate);
        g.history.push_back(std::move(e));
        const int gap = pick(0, 40);
        date += gap == 0 ? 0 : gap == 1 ? pick(300, 800) : gap == 2 ? -pick(1, 40) : pick(7, 45);
    }
    return g;
}

TEST(ResultTableTexts, SameAsThePreviousImplementationOnGeneratedHistories) {
    std::mt19937 random(20240105);
    for (int method = 0; method < 6; ++method) {
        for (int n = 0; n < 150; ++n) {
            const Generated g = Generate(random, method);
            for (const auto kind : {CalculationKind::LenderCalculation, CalculationKind::Recalculation}) {
                const Outcome now = Calculate(RunCalculation, kind, g.history, g.settings, g.western);
                const Outcome before = Calculate(previous::RunCalculation, kind, g.history, g.settings, g.western);
                ASSERT_EQ(FirstDifference(now, before), "")
                    << "method " << method << ", history " << n << ", "
                    << (kind == CalculationKind::Recalculation ? "recalculation" : "lender");
                if (kind == CalculationKind::LenderCalculation) {
                    const auto readOnly = [](CalculationKind, const HistoryList& entries, const CaseRecord& c,
                                             const CalculationOptions& o) {
                        return RunLenderCalculation(entries, c, o);
                    };
                    ASSERT_EQ(FirstDifference(Calculate(readOnly, kind, g.history, g.settings, g.western), before), "")
                        << "method " << method << ", history " << n << ", the lender's table over the history itself";
                }
            }
        }
    }
}

// Figures no calculation reaches, so that every cell takes its longest text
// and the buffer has to grow while a table is filled.
TEST(ResultTableTexts, SameAsThePreviousImplementationForExtremeFigures) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
    std::mt19937 random(7);
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(random);
    };
    auto extreme = [&]() -> std::int64_t {
        switch (pick(0, 4)) {
            case 0: return kMin;
            case 1: return kMax;
            case 2: return pick(-1000, 1000);
            default: return pick(kMin, kMax);
        }
    };
    auto yen32 = [&] { return static_cast<std::int32_t>(pick(std::numeric_limits<std::int32_t>::min(), kMax32)); };
    std::vector<ResultRow> rows;
    DayNumber date = 0;
    for (int i = 0; i < 6000; ++i) {
        ResultRow r;
        // Any day from year 1 to 9999, before and after the first era, or a
        // step of up to some fifteen months from the row before, through the
        // century years 1900 and 2100 and the era changes.
        switch (pick(0, 9)) {
            case 0: date = static_cast<DayNumber>(pick(-693593, 2958465)); break;
            case 1: date = static_cast<DayNumber>(pick(-10000, 80000)); break;
            default: date += static_cast<DayNumber>(pick(-3, 450));
        }
        r.date = date;
        r.borrowing = yen32();
        r.repayment = yen32();
        if (pick(0, 5) != 0) r.days = extreme();
        r.appliedRate = extreme();
        r.interest = yen32();
        r.principalRepaid = yen32();
        r.balance = extreme();
        if (pick(0, 1)) r.unpaidInterestChange = yen32();
        r.overpaymentInterest = yen32();
        if (pick(0, 1)) r.unpaidOverpaymentInterest = yen32();
        rows.push_back(r);
    }
    for (const auto kind : {CalculationKind::LenderCalculation, CalculationKind::Recalculation}) {
        for (const bool western : {false, true}) {
            Outcome now, before;
            ResultTable table(kind);
            table.Fill(rows, western);
            ReadTable(table, now);
            previous::ResultTable old(kind);
            old.Fill(rows, western);
            ReadTable(old, before);
            EXPECT_EQ(FirstDifference(now, before), "") << (western ? "western" : "era") << " dates";
        }
    }
}

}  // namespace
}  // namespace korvalen::engine
