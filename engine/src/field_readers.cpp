#include "korvalen/engine/field_readers.h"

#include <string>

#include "korvalen/engine/errors.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

// The grid shows three integer digits of a rate; beyond that it is a typo.
constexpr double kRateLimitPercent = 1000.0;
// The tables show a rate to three decimals, rounding half up: 999.9995 %
// would print as 1000.000.
constexpr FixedRate kHighestPrintableRate = 9999994;

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// 1234567 or 1,234,567.
bool IsAmountShape(std::string_view text) {
    if (AllDigits(text)) return true;
    const auto firstComma = text.find(',');
    if (firstComma == std::string_view::npos || firstComma == 0 || firstComma > 3) return false;
    if (!AllDigits(text.substr(0, firstComma))) return false;
    for (std::size_t pos = firstComma; pos < text.size(); pos += 4) {
        if (text[pos] != ',' || pos + 4 > text.size() || !AllDigits(text.substr(pos + 1, 3))) return false;
    }
    return true;
}

// 29.2, 29.200 or 29.200%.
bool IsPercentShape(std::string_view text) {
    if (!text.empty() && text.back() == '%') text.remove_suffix(1);
    const auto point = text.find('.');
    if (point == std::string_view::npos) return AllDigits(text);
    return AllDigits(text.substr(0, point)) && AllDigits(text.substr(point + 1));
}

[[noreturn]] void Refuse(std::string_view what, std::string_view text, std::string_view problem) {
    throw ConversionError(std::string(what) + "「" + QuoteInMessage(text) + "」" + std::string(problem));
}

}  // namespace

std::int32_t ReadAmountField(std::string_view text, std::string_view what) {
    if (text.empty()) return 0;
    if (text.front() == '-') Refuse(what, text, "が負の値です。");
    if (!IsAmountShape(text)) Refuse(what, text, "が数値ではありません。");
    try {
        return ParseAmountText(text);
    } catch (const ConversionError&) {
        Refuse(what, text, "が大きすぎます（2,147,483,647円まで）。");
    }
}

double ReadPercentField(std::string_view text, std::string_view what) {
    if (!text.empty() && text.front() == '-') Refuse(what, text, "が負の値です。");
    if (!IsPercentShape(text)) Refuse(what, text, "が数値ではありません。");
    const double percent = ParseRateText(text);
    if (percent >= kRateLimitPercent || RateToFixed(percent) > kHighestPrintableRate) {
        Refuse(what, text, "が大きすぎます（999.999%まで）。");
    }
    return percent;
}

DayNumber ReadDateField(std::string_view text, std::string_view what) {
    const auto date = ParseDateText(text);
    if (!date) Refuse(what, text, "が読めません。YYYY-MM-DD、YYYY/MM/DD または yy/mm/dd で書いてください。");
    if (*date < kFirstShownDay || *date > kLastShownDay) {
        Refuse(what, text, "は扱えない日付です（1873年1月1日から2099年12月31日まで）。");
    }
    return *date;
}

}  // namespace korvalen::engine
