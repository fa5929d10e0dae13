#include "korvalen/engine/history_csv.h"

#include <optional>
#include <vector>

#include "korvalen/base/cp932.h"
#include "korvalen/engine/field_readers.h"
#include "korvalen/engine/message_text.h"
#include "korvalen/engine/text_forms.h"

namespace korvalen::engine {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kFieldHint = "「年月日,借入,返済[,利率]」の形で書いてください。";
constexpr std::string_view kQuoteHint = "3桁区切りの金額は \"1,000\" のように引用符で囲んでください。";
constexpr std::size_t kChunkBytes = 64 * 1024;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Reads as a number of some kind, however malformed: digits, separators,
// a sign or a point, and at least one digit. A heading's column names never do.
bool LooksLikeNumber(std::string_view text) {
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != ',' && c != '.' && c != '-' && c != '+') {
            return false;
        }
    }
    return digit;
}

// An amount with unquoted thousands separators falls apart into fields
// that each read as a figure: "13,000" into 13 and 000. Where the field
// count cannot tell (a rate column that "000" fills), two neighbouring
// unquoted fields, the first of one to three digits and the second of
// exactly three, are taken for such an amount.
bool IsLeadingGroup(std::string_view text) { return text.size() <= 3 && AllDigits(text) && text[0] != '0'; }
bool IsFollowingGroup(std::string_view text) { return text.size() == 3 && AllDigits(text); }

std::string TooManyEntries() {
    return "取引が多すぎます。一つの事件に入る取引は " + FormatAmount(static_cast<std::int64_t>(kMaxCaseEntries)) +
           " 件までです。";
}

// The lines of the input that are not blank, as bytes, gathered until the
// input ends or a bound is reached. Reading stops at the bound; the problem
// is kept, so that problems on the lines before it are reported first.
class RawLines {
public:
    struct Line {
        int number;
        std::string bytes;
    };

    // Takes the next bytes of the input; false once reading has stopped.
    bool Feed(std::string_view chunk) {
        for (const char c : chunk) {
            if (stop_) return false;
            if (++total_ > kMaxHistoryFileBytes) {
                Stop("ファイルが大きすぎます（" + FormatAmount(static_cast<std::int64_t>(kMaxHistoryFileBytes)) +
                     " バイトまで）。");
                return false;
            }
            if (afterCr_) {
                afterCr_ = false;
                if (c == '\n') continue;  // the LF of a CR LF
            }
            if (c == '\r' || c == '\n') {
                EndLine();
                afterCr_ = c == '\r';
                continue;
            }
            if (current_.size() == kMaxHistoryLineBytes) {
                Stop("行が長すぎます（" + std::to_string(kMaxHistoryLineBytes) +
                     " バイトまで）。履歴のファイルではないか、改行がありません。");
                return false;
            }
            current_.push_back(c);
        }
        return !stop_;
    }

    // The input has ended: ends its last line.
    void Finish() {
        if (!stop_ && !current_.empty()) EndLine();
    }

    std::vector<Line>& lines() { return lines_; }
    bool allUtf8() const { return allUtf8_; }
    const std::optional<HistoryCsvError>& stop() const { return stop_; }

private:
    void EndLine() {
        if (!Trim(current_).empty()) {
            if (lines_.size() == kMaxCaseEntries + 1) {
                // A heading and a whole case are here already.
                Stop(TooManyEntries());
                return;
            }
            // A line break never falls inside a UTF-8 or Shift-JIS character,
            // so the lines can be looked at one by one.
            allUtf8_ = allUtf8_ && base::IsValidUtf8(current_);
            lines_.push_back({number_, std::move(current_)});
        }
        current_.clear();
        ++number_;
    }

    void Stop(const std::string& problem) { stop_.emplace(number_, problem); }

    std::vector<Line> lines_;
    std::string current_;
    int number_ = 1;
    bool afterCr_ = false;
    bool allUtf8_ = true;
    std::size_t total_ = 0;
    std::optional<HistoryCsvError> stop_;
};

struct Field {
    std::string text;  // without its quotes and the blanks around it
    bool quoted = false;
};

class LineReader {
public:
    LineReader(int lineNumber, std::string_view text) : line_(lineNumber), text_(text) {}

    // Splits the line into fields; a field in double quotes may hold commas
    // and doubled quotes.
    std::vector<Field> Fields() const {
        std::vector<Field> fields;
        std::size_t pos = 0;
        while (true) {
            Field field;
            while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t')) ++pos;
            if (pos < text_.size() && text_[pos] == '"') {
                field.quoted = true;
                ++pos;
                while (true) {
                    if (pos >= text_.size()) Fail("引用符（\"）が閉じられていません。");
                    if (text_[pos] == '"') {
                        if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
                            field.text.push_back('"');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    field.text.push_back(text_[pos++]);
                }
                while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t')) ++pos;
                if (pos < text_.size() && text_[pos] != ',') Fail("引用符（\"）の後に余分な文字があります。");
            } else {
                const auto comma = text_.find(',', pos);
                const auto end = comma == std::string_view::npos ? text_.size() : comma;
                field.text = std::string(text_.substr(pos, end - pos));
                pos = end;
            }
            field.text = std::string(Trim(field.text));
            fields.push_back(std::move(field));
            if (pos >= text_.size()) break;
            ++pos;  // the comma
        }
        return fields;
    }

    void RefuseSplitThousands(const std::vector<Field>& fields) const {
        for (std::size_t i = 1; i + 1 < fields.size(); ++i) {
            if (fields[i].quoted || fields[i + 1].quoted || !IsLeadingGroup(fields[i].text) ||
                !IsFollowingGroup(fields[i + 1].text)) {
                continue;
            }
            const std::string& a = fields[i].text;
            const std::string& b = fields[i + 1].text;
            Fail("「" + a + "," + b + "」は引用符のない3桁区切りの金額に見えます。金額なら \"" + a + "," + b +
                 "\" のように、別々の値なら \"" + a + "\",\"" + b + "\" のように引用符で囲んでください。");
        }
    }

    // Field readers report their problem; the line number is added here.
    template <typename Reader>
    auto Read(Reader read) const {
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

bool IsHeading(const std::vector<Field>& fields) {
    if (HasDateShape(fields[0].text)) return false;
    for (std::size_t i = 1; i < fields.size() && i <= 2; ++i) {
        if (LooksLikeNumber(fields[i].text)) return false;
    }
    return true;
}

std::string FieldCountProblem(std::size_t count, std::size_t firstCount, int firstLine) {
    std::string problem = "項目が " + std::to_string(count) + " つ" +
                          (count < firstCount ? "しかありません" : "あります") + "（" + std::to_string(firstLine) +
                          " 行目は " + std::to_string(firstCount) + " つ）。";
    if (count < firstCount) {
        problem += firstCount == 4 && count == 3
                       ? "利率を書かない行も「2005-01-10,0,10000,」のように最後に「,」を付けてください。"
                       : std::string(kFieldHint);
    } else {
        problem += std::string(kQuoteHint) + "利率を書くなら、1 行目から 4 つの項目にしてください。";
    }
    return problem;
}

// A file that is not UTF-8 is read as Shift-JIS; where a line is neither,
// the line to name is the first that is no text in either encoding, not the
// first that Shift-JIS cannot read (a UTF-8 heading over one stray byte).
[[noreturn]] void RefuseEncoding(const std::vector<RawLines::Line>& lines, int failedLine) {
    for (const RawLines::Line& line : lines) {
        if (line.number < failedLine) continue;
        if (!base::IsValidUtf8(line.bytes) && !base::Cp932ToUtf8(line.bytes)) {
            throw HistoryCsvError(line.number, "UTF-8 としても Shift-JIS としても読めない文字があります。");
        }
    }
    throw HistoryCsvError(failedLine,
                          "Shift-JIS として読めない文字があります（UTF-8 の行と Shift-JIS の行が混ざっています）。");
}

HistoryCsv ParseLines(RawLines& raw, const CaseRecord& caseRecord) {
    std::vector<RawLines::Line>& lines = raw.lines();
    bool bom = false;
    if (!lines.empty() && lines.front().number == 1 && lines.front().bytes.starts_with(kUtf8Bom)) {
        bom = true;
        lines.front().bytes.erase(0, kUtf8Bom.size());
    }
    const bool utf8 = bom || raw.allUtf8();

    HistoryCsv result;
    FixedRate rateAbove = RateToFixed(caseRecord.RIRITSU);
    std::optional<std::size_t> fieldCount;
    int firstLine = 0;
    for (const RawLines::Line& line : lines) {
        std::string text = line.bytes;
        // A byte-order mark says UTF-8; bytes that are not are never guessed at.
        if (bom && !base::IsValidUtf8(text)) throw HistoryCsvError(line.number, "UTF-8 として読めない文字があります。");
        if (!utf8) {
            auto decoded = base::Cp932ToUtf8(text);
            if (!decoded) RefuseEncoding(lines, line.number);
            text = std::move(*decoded);
        }
        if (Trim(text).empty()) continue;

        const LineReader reader(line.number, text);
        const std::vector<Field> fields = reader.Fields();
        if (!fieldCount) {
            fieldCount = fields.size();
            firstLine = line.number;
            if (IsHeading(fields)) {
                if (fields.size() != 3 && fields.size() != 4) {
                    reader.Fail("見出しの項目が " + std::to_string(fields.size()) + " つあります。" +
                                std::string(kFieldHint));
                }
                continue;
            }
            if (fields.size() < 3) reader.Fail("項目が足りません。" + std::string(kFieldHint));
            if (fields.size() > 4) reader.Fail("項目が多すぎます。" + std::string(kQuoteHint));
        } else if (fields.size() != *fieldCount) {
            reader.Fail(FieldCountProblem(fields.size(), *fieldCount, firstLine));
        }
        if (result.entries.size() == kMaxCaseEntries) reader.Fail(TooManyEntries());
        reader.RefuseSplitThousands(fields);

        auto entry = std::make_unique<HistoryEntry>();
        entry->date = reader.Read([&] { return ReadDateField(fields[0].text, "日付"); });
        if (caseRecord.START_DAY != 0 && entry->date < caseRecord.START_DAY) {
            reader.Fail("日付「" + QuoteInMessage(fields[0].text) + "」は計算開始日（" +
                        FormatMessageDate(caseRecord.START_DAY) +
                        "）より前です。計算開始日より前の日付の入力はできません。");
        }
        entry->order = static_cast<std::int32_t>(result.entries.size());
        entry->borrowing = reader.Read([&] { return ReadAmountField(fields[1].text, "借入額"); });
        entry->repayment = reader.Read([&] { return ReadAmountField(fields[2].text, "返済額"); });
        if (fields.size() == 4 && !fields[3].text.empty()) {
            rateAbove = reader.Read([&] { return RateToFixed(ReadPercentField(fields[3].text, "利率")); });
        }
        entry->rate = rateAbove;
        if (!result.entries.empty() && entry->date < result.entries.back()->date) {
            result.warnings.push_back({line.number, "日付が前の行より前です（前の行は " +
                                                        FormatIsoDate(result.entries.back()->date) +
                                                        "）。日付の順に並べ替えて読みます。"});
        }
        result.entries.push_back(std::move(entry));
    }
    if (raw.stop()) throw *raw.stop();
    if (result.entries.empty()) {
        throw HistoryCsvError(0, "取引が一つもありません。" + std::string(kFieldHint));
    }
    SortHistory(result.entries, caseRecord.CHECKBOX == 1 ? 1 : 0);
    return result;
}

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

HistoryCsv ReadHistoryCsv(std::istream& in, const CaseRecord& caseRecord) {
    RawLines raw;
    std::string buffer(kChunkBytes, '\0');
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0 || !raw.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) break;
    }
    if (in.bad()) throw HistoryCsvError(0, "ファイルを最後まで読めませんでした。");
    raw.Finish();
    return ParseLines(raw, caseRecord);
}

HistoryCsv ReadHistoryCsv(std::string_view bytes, const CaseRecord& caseRecord) {
    RawLines raw;
    for (std::size_t at = 0; at < bytes.size(); at += kChunkBytes) {
        if (!raw.Feed(bytes.substr(at, kChunkBytes))) break;
    }
    raw.Finish();
    return ParseLines(raw, caseRecord);
}

std::string WriteHistoryCsv(const HistoryList& entries) {
    std::string out = "年月日,借入,返済,利率\n";
    for (const auto& entry : entries) {
        std::string fields[] = {FormatIsoDate(entry->date), std::to_string(entry->borrowing),
                                std::to_string(entry->repayment), RateDecimal(entry->rate)};
        // 300 and 500 side by side would read back as a split 300,500.
        for (std::size_t i = 1; i + 1 < std::size(fields); ++i) {
            if (IsLeadingGroup(fields[i]) && IsFollowingGroup(fields[i + 1])) fields[i] = "\"" + fields[i] + "\"";
        }
        out += fields[0] + "," + fields[1] + "," + fields[2] + "," + fields[3] + "\n";
    }
    return out;
}

}  // namespace korvalen::engine
