#include "korvalen/engine/history_csv.h"

#include <optional>
#include <vector>

#include "korvalen/base/cp932.h"
#include "korvalen/engine/field_readers.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kFieldHint = "「年月日,借入,返済[,利率]」の形で書いてください。";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

class LineReader {
public:
    LineReader(int lineNumber, std::string_view text) : line_(lineNumber), text_(text) {}

    // Splits the line into fields; a field in double quotes may hold commas
    // and doubled quotes.
    std::vector<std::string> Fields() const {
        std::vector<std::string> fields;
        std::size_t pos = 0;
        while (true) {
            std::string field;
            while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t')) ++pos;
            if (pos < text_.size() && text_[pos] == '"') {
                ++pos;
                while (true) {
                    if (pos >= text_.size()) Fail("引用符（\"）が閉じられていません。");
                    if (text_[pos] == '"') {
                        if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
                            field.push_back('"');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    field.push_back(text_[pos++]);
                }
                while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t')) ++pos;
                if (pos < text_.size() && text_[pos] != ',') Fail("引用符（\"）の後に余分な文字があります。");
            } else {
                const auto comma = text_.find(',', pos);
                const auto end = comma == std::string_view::npos ? text_.size() : comma;
                field = std::string(text_.substr(pos, end - pos));
                pos = end;
            }
            fields.push_back(std::string(Trim(field)));
            if (pos >= text_.size()) break;
            ++pos;  // the comma
        }
        return fields;
    }

    // Field readers report their problem; the line number is added here.
    template <typename Read>
    auto Field(Read read) const {
        try {
            return read();
        } catch (const ConversionError& e) {
            Fail(e.what());
        }
    }

    [[noreturn]] void Fail(const std::string& problem) const { throw HistoryCsvError(line_, problem); }

private:
    int line_;
    std::string_view text_;
};

std::string RateDecimal(FixedRate rate) {
    const bool negative = rate < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(rate) : static_cast<std::uint64_t>(rate);
    std::string out = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

}  // namespace

HistoryList ReadHistoryCsv(std::string_view bytes, double contractRate, bool inputOrder, DayNumber startDay) {
    const bool bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (bom) bytes.remove_prefix(kUtf8Bom.size());
    const bool utf8 = bom || base::IsValidUtf8(bytes);

    HistoryList entries;
    FixedRate rateAbove = RateToFixed(contractRate);
    bool firstLine = true;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto newline = bytes.find('\n', start);
        const auto end = newline == std::string_view::npos ? bytes.size() : newline;
        std::string_view raw = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

        // A line break never falls inside a Shift-JIS character, so each
        // line decodes on its own and a bad byte is reported on its line.
        std::string text(raw);
        // A byte-order mark says UTF-8; bytes that are not are never guessed at.
        if (bom && !base::IsValidUtf8(raw)) throw HistoryCsvError(lineNumber, "UTF-8 として読めない文字があります。");
        if (!utf8) {
            auto decoded = base::Cp932ToUtf8(raw);
            if (!decoded)
                throw HistoryCsvError(lineNumber, "UTF-8 としても Shift-JIS としても読めない文字があります。");
            text = std::move(*decoded);
        }
        if (Trim(text).empty()) continue;

        const LineReader line(lineNumber, text);
        const auto fields = line.Fields();
        const bool heading = firstLine && !HasDateShape(fields[0]);
        firstLine = false;
        if (heading) continue;
        if (fields.size() < 3) line.Fail("項目が足りません。" + std::string(kFieldHint));
        if (fields.size() > 4) {
            line.Fail("項目が多すぎます（3桁区切りの金額は \"1,000\" のように引用符で囲んでください）。" +
                      std::string(kFieldHint));
        }

        auto entry = std::make_unique<HistoryEntry>();
        entry->date = line.Field([&] { return ReadDateField(fields[0], "日付"); });
        if (startDay != 0 && entry->date < startDay) {
            line.Fail("日付「" + fields[0] + "」は計算開始日（" + FormatMessageDate(startDay) +
                      "）より前です。計算開始日より前の日付の入力はできません。");
        }
        entry->order = static_cast<std::int32_t>(entries.size());
        entry->borrowing = line.Field([&] { return ReadAmountField(fields[1], "借入額"); });
        entry->repayment = line.Field([&] { return ReadAmountField(fields[2], "返済額"); });
        if (fields.size() == 4 && !fields[3].empty()) {
            rateAbove = line.Field([&] { return RateToFixed(ReadPercentField(fields[3], "利率")); });
        }
        entry->rate = rateAbove;
        entries.push_back(std::move(entry));
    }
    SortHistory(entries, inputOrder ? 1 : 0);
    return entries;
}

std::string WriteHistoryCsv(const HistoryList& entries) {
    std::string out = "年月日,借入,返済,利率\n";
    for (const auto& entry : entries) {
        out += FormatIsoDate(entry->date);
        out += "," + std::to_string(entry->borrowing) + "," + std::to_string(entry->repayment) + "," +
               RateDecimal(entry->rate) + "\n";
    }
    return out;
}

}  // namespace korvalen::engine
