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

std::optional<FieldType> TypeFromName(std::string_view name) {
    for (FieldType t : {FieldType::String, FieldType::Int16, FieldType::Int32, FieldType::Float, FieldType::Date,
                        FieldType::Boolean}) {
        if (FieldTypeName(t) == name) return t;
    }
    return std::nullopt;
}

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

const char* SqlType(FieldType t) {
    switch (t) {
    case FieldType::String: return "TEXT";
    case FieldType::Float: return "REAL";
    default: return "INTEGER";
    }
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

std::optional<Layout> LayoutFromStored(const std::vector<StoredField>& rows) {
    Layout layout;
    std::vector<std::pair<long long, int>> keyParts;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StoredField& r = rows[i];
        auto type = TypeFromName(r.type);
        if (r.pos != static_cast<long long>(i) || !type || (r.required != 0 && r.required != 1)) return std::nullopt;
        if (*type != FieldType::String && r.size != 0) return std::nullopt;
        if (r.size < 0 || r.size > kMaxTextSize) return std::nullopt;
        layout.fields.push_back(FieldDef{r.name, *type, static_cast<int>(r.size), r.required == 1});
        if (r.keyPos) keyParts.emplace_back(*r.keyPos, static_cast<int>(i));
    }
    if (FieldsProblem(layout.fields)) return std::nullopt;
    std::sort(keyParts.begin(), keyParts.end());
    for (std::size_t k = 0; k < keyParts.size(); ++k) {
        if (keyParts[k].first != static_cast<long long>(k)) return std::nullopt;
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
    out.push_back("CREATE TABLE " + s + kFieldsTable +
                  "(pos INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL, size INTEGER NOT NULL,"
                  " required INTEGER NOT NULL, key_pos INTEGER)");
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const FieldDef& f = layout.fields[i];
        auto k = std::find(layout.key.begin(), layout.key.end(), static_cast<int>(i));
        std::string keyPos =
            k == layout.key.end() ? "NULL" : std::to_string(std::distance(layout.key.begin(), k));
        out.push_back("INSERT INTO " + s + kFieldsTable + " VALUES(" + std::to_string(i) + ",'" + f.name + "','" +
                      std::string(FieldTypeName(f.type)) + "'," + std::to_string(f.size) + "," +
                      (f.required ? "1" : "0") + "," + keyPos + ")");
    }
    std::string columns = std::string(kRowColumn) + " INTEGER PRIMARY KEY";
    for (const FieldDef& f : layout.fields) columns += ", " + Quote(f.name) + " " + SqlType(f.type);
    out.push_back("CREATE TABLE " + s + kRowsTable + "(" + columns + ")");
    if (layout.keyed()) out.push_back(CreateIndexStatement(layout, schema));
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
