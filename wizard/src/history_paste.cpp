#include "korvalen/wizard/history_paste.h"

#include "korvalen/engine/errors.h"
#include "korvalen/engine/field_readers.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::wizard {
namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";
constexpr std::string_view kFieldHint = "年月日・借入・返済・利率（省略可）の順に、タブで区切って貼り付けて下さい。";

std::string_view Trim(std::string_view text) {
    while (true) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\r')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kIdeographicSpace)) {
            text.remove_prefix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    while (true) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\r')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kIdeographicSpace)) {
            text.remove_suffix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    return text;
}

// A spreadsheet puts a cell in double quotes when it holds a quote or a
// separator; the cell's own text is inside, quotes doubled.
std::string Unquote(std::string_view text) {
    text = Trim(text);
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::string(text);
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == '"' && i + 2 < text.size() && text[i + 1] == '"') ++i;
    }
    return std::string(Trim(out));
}

// Currency cells copied as shown: ¥50,000, ￥50,000 or 50,000円.
std::string_view WithoutYenSign(std::string_view text) {
    for (std::string_view sign : {std::string_view("\u00A5"), std::string_view("\uFFE5")}) {
        if (text.starts_with(sign)) text.remove_prefix(sign.size());
    }
    if (text.ends_with("円")) text.remove_suffix(std::string_view("円").size());
    return Trim(text);
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(
            Unquote(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    // A copied rectangle may reach into empty columns on the right.
    while (fields.size() > 4 && fields.back().empty()) fields.pop_back();
    return fields;
}

}  // namespace

std::vector<PastedEntry> ReadPastedHistory(std::string_view text, engine::DayNumber startDay) {
    std::vector<PastedEntry> entries;
    bool firstLine = true;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto newline = text.find('\n', start);
        const auto end = newline == std::string_view::npos ? text.size() : newline;
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (Trim(line).empty() || line.find_first_not_of("\t \r") == std::string_view::npos) continue;

        const auto fields = SplitFields(line);
        const bool heading = firstLine && !engine::HasDateShape(fields[0]);
        firstLine = false;
        if (heading) continue;
        if (fields.size() < 3) throw PasteError(lineNumber, "項目が足りません。" + std::string(kFieldHint));
        if (fields.size() > 4) throw PasteError(lineNumber, "項目が多すぎます。" + std::string(kFieldHint));

        try {
            PastedEntry entry;
            entry.date = engine::ReadDateField(fields[0], "日付");
            if (startDay != 0 && entry.date < startDay) {
                throw PasteError(lineNumber, "日付「" + fields[0] + "」は計算開始日（" +
                                                 engine::FormatMessageDate(startDay) +
                                                 "）より前です。計算開始日より前の日付の入力はできません。");
            }
            entry.borrowing = engine::ReadAmountField(WithoutYenSign(fields[1]), "借入額");
            entry.repayment = engine::ReadAmountField(WithoutYenSign(fields[2]), "返済額");
            if (fields.size() == 4 && !fields[3].empty()) {
                entry.rate = engine::RateToFixed(engine::ReadPercentField(fields[3], "利率"));
            }
            entries.push_back(entry);
        } catch (const engine::ConversionError& e) {
            throw PasteError(lineNumber, e.what());
        }
    }
    return entries;
}

}  // namespace korvalen::wizard
