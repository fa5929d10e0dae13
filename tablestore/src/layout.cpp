#include "layout.h"

#include <algorithm>

#include "korvalen/tablestore/errors.h"

namespace korvalen::tablestore {

std::string_view FieldTypeName(FieldType type) {
    switch (type) {
        case FieldType::String: return "string";
        case FieldType::Int16: return "int16";
        case FieldType::Int32: return "int32";
        case FieldType::Float: return "float";
        case FieldType::Date: return "date";
        case FieldType::Boolean: return "boolean";
    }
    return "?";
}

namespace detail {
namespace {

constexpr int kMaxTextSize = 255;

// Letters, digits and "_", starting with a letter: a name that needs no care
// in any file or statement.
bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The declared type of a field's column. SQLite takes its storage rule from
// it (TEXT(n): text; INT16, INT32: integer; FLOAT: real; DATE, BOOLEAN:
// numeric, which keeps the whole numbers we store as integers).
std::string SqlType(FieldType t, int size) {
    switch (t) {
        case FieldType::String: return "TEXT(" + std::to_string(size) + ")";
        case FieldType::Int16: return "INT16";
        case FieldType::Int32: return "INT32";
        case FieldType::Float: return "FLOAT";
        case FieldType::Date: return "DATE";
        case FieldType::Boolean: return "BOOLEAN";
    }
    return "INT32";
}

// Checks the fields, the part shared by a new definition and a stored one.
std::optional<std::string> FieldsProblem(const std::vector<FieldDef>& fields) {
    if (fields.empty()) return "項目が定義されていません。";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (!ValidName(f.name)) return "項目名「" + f.name + "」は使えません（英字で始まる英数字と _ のみ）。";
        if (f.type == FieldType::String && (f.size < 1 || f.size > kMaxTextSize)) {
            return "項目「" + f.name + "」の長さ " + std::to_string(f.size) + " は 1 から 255 の範囲にありません。";
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (SameNameAscii(fields[j].name, f.name)) return "項目名「" + f.name + "」が重複しています。";
        }
    }
    return std::nullopt;
}

}  // namespace

bool SameNameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::optional<int> Layout::find(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (SameNameAscii(fields[i].name, name)) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string Layout::keyText() const {
    std::string text;
    for (int k : key) {
        if (!text.empty()) text += ';';
        text += fields[static_cast<std::size_t>(k)].name;
    }
    return text;
}

Layout MakeLayout(std::vector<FieldDef> fields, std::string_view keyDef) {
    for (FieldDef& f : fields) {
        if (f.type != FieldType::String) f.size = 0;
    }
    if (auto problem = FieldsProblem(fields)) throw DataError(*problem);
    Layout layout{std::move(fields), {}};
    keyDef = Trim(keyDef);
    while (!keyDef.empty()) {
        std::size_t cut = keyDef.find(';');
        std::string_view name = Trim(keyDef.substr(0, cut));
        keyDef = cut == std::string_view::npos ? std::string_view() : keyDef.substr(cut + 1);
        auto pos = layout.find(name);
        if (!pos) throw DataError("キー項目「" + std::string(name) + "」は定義されていません。");
        if (std::find(layout.key.begin(), layout.key.end(), *pos) != layout.key.end()) {
            throw DataError("キー項目「" + std::string(name) + "」が重複しています。");
        }
        layout.key.push_back(*pos);
    }
    return layout;
}

std::optional<Layout> LayoutFromStored(const std::vector<StoredColumn>& columns) {
    Layout layout;
    std::vector<std::pair<int, int>> keyParts;  // key position, field position
    for (const StoredColumn& c : columns) {
        std::string_view type = c.type;
        if (type.rfind("KEY", 0) == 0) {
            const std::size_t space = type.find(' ');
            const std::string_view number = type.substr(3, space == std::string_view::npos ? 0 : space - 3);
            if (number.empty() || number.size() > 2 ||
                !std::all_of(number.begin(), number.end(), [](char d) { return d >= '0' && d <= '9'; })) {
                return std::nullopt;
            }
            keyParts.emplace_back(std::stoi(std::string(number)), static_cast<int>(layout.fields.size()));
            type.remove_prefix(space + 1);
        }
        FieldDef f{c.name, FieldType::Int32, 0, c.notNull};
        bool known = false;
        for (FieldType t :
             {FieldType::Int16, FieldType::Int32, FieldType::Float, FieldType::Date, FieldType::Boolean}) {
            if (type == SqlType(t, 0)) {
                f.type = t;
                known = true;
            }
        }
        if (!known && type.rfind("TEXT(", 0) == 0 && type.size() > 6 && type.back() == ')') {
            const std::string_view digits = type.substr(5, type.size() - 6);
            if (digits.size() <= 3 &&
                std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; })) {
                f.type = FieldType::String;
                f.size = std::stoi(std::string(digits));
                known = SqlType(FieldType::String, f.size) == type;
            }
        }
        if (!known) return std::nullopt;
        layout.fields.push_back(std::move(f));
    }
    if (FieldsProblem(layout.fields)) return std::nullopt;
    std::sort(keyParts.begin(), keyParts.end());
    for (std::size_t k = 0; k < keyParts.size(); ++k) {
        if (keyParts[k].first != static_cast<int>(k) + 1) return std::nullopt;
        layout.key.push_back(keyParts[k].second);
    }
    return layout;
}

std::string Quote(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::vector<std::string> CreateStatements(const Layout& layout, const std::string& schema) {
    const std::string s = Quote(schema) + ".";
    std::vector<std::string> out;
    out.push_back("PRAGMA " + s + "application_id=" + std::to_string(kApplicationId));
    out.push_back("PRAGMA " + s + "user_version=" + std::to_string(kFormatVersion));
    std::string columns = std::string(kRowColumn) + " INTEGER PRIMARY KEY";
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const FieldDef& f = layout.fields[i];
        auto k = std::find(layout.key.begin(), layout.key.end(), static_cast<int>(i));
        const std::string key =
            k == layout.key.end() ? std::string() : "KEY" + std::to_string(k - layout.key.begin() + 1) + " ";
        columns += ", " + Quote(f.name) + " " + key + SqlType(f.type, f.size) + (f.required ? " NOT NULL" : "");
    }
    out.push_back("CREATE TABLE " + s + kRowsTable + "(" + columns + ")");
    return out;
}

std::string CreateIndexStatement(const Layout& layout, const std::string& schema) {
    std::string keyColumns;
    for (int k : layout.key) {
        if (!keyColumns.empty()) keyColumns += ",";
        keyColumns += Quote(layout.fields[static_cast<std::size_t>(k)].name);
    }
    return "CREATE UNIQUE INDEX " + Quote(schema) + "." + kKeyIndex + " ON " + kRowsTable + "(" + keyColumns + ")";
}

}  // namespace detail
}  // namespace korvalen::tablestore
