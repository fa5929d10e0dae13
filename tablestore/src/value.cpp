#include "value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "korvalen/base/cp932.h"
#include "korvalen/tablestore/errors.h"
#include "layout.h"

namespace korvalen::tablestore::detail {
namespace {

[[noreturn]] void Refuse(const FieldDef& def, const std::string& what) {
    throw DataError("項目「" + def.name + "」" + what);
}

[[noreturn]] void RefuseText(const FieldDef& def, std::string_view text) {
    throw DataError("「" + std::string(text) + "」は項目「" + def.name + "」の値として正しくありません。");
}

Value CheckedInteger(const FieldDef& def, std::int64_t v) {
    std::int64_t low = std::numeric_limits<std::int32_t>::min();
    std::int64_t high = std::numeric_limits<std::int32_t>::max();
    if (def.type == FieldType::Int16) {
        low = -32768;
        high = 32767;
    }
    if (v < low || v > high) {
        Refuse(def, "の値 " + std::to_string(v) + " は " + std::to_string(low) + " から " + std::to_string(high) +
                        " の範囲にありません。");
    }
    return Value::Int(v);
}

std::string FloatText(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::optional<std::int64_t> ParseInteger(std::string_view s) {
    std::int64_t v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> ParseFloat(std::string_view s) {
    double v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<bool> ParseBoolean(std::string_view s) {
    if (s == "1" || SameNameAscii(s, "true")) return true;
    if (s == "0" || SameNameAscii(s, "false")) return false;
    return std::nullopt;
}

int Rank(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: return 0;
        case Value::Kind::Integer:
        case Value::Kind::Real: return 1;
        case Value::Kind::Text: return 2;
    }
    return 0;
}

}  // namespace

int CompareStored(const Value& a, const Value& b) {
    const int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 0) return 0;
    if (ra == 2) {
        const int c = a.text.compare(b.text);
        return (c > 0) - (c < 0);
    }
    if (a.kind == Value::Kind::Integer && b.kind == Value::Kind::Integer) {
        return a.integer < b.integer ? -1 : (a.integer == b.integer ? 0 : 1);
    }
    // Every whole number a field holds (32 bits at most) is exact as a double.
    const double x = a.kind == Value::Kind::Integer ? static_cast<double>(a.integer) : a.real;
    const double y = b.kind == Value::Kind::Integer ? static_cast<double>(b.integer) : b.real;
    return x < y ? -1 : (x == y ? 0 : 1);
}

Value StoreText(const FieldDef& def, std::string_view utf8) {
    if (def.type == FieldType::String) {
        if (!base::IsValidUtf8(utf8)) Refuse(def, "に渡された文字列が UTF-8 として正しくありません。");
        // Kept as the CP932 text it is measured as: 〜 and − become ～ and －.
        std::string text = base::NormalizeForCp932(utf8);
        auto bytes = base::Cp932Length(text);
        if (!bytes) Refuse(def, "に Shift-JIS で表せない文字があります。");
        if (*bytes > static_cast<std::size_t>(def.size)) {
            Refuse(def, "の文字列が長すぎます（Shift-JIS で " + std::to_string(*bytes) + " バイト、最大 " +
                            std::to_string(def.size) + " バイト）。");
        }
        return Value::Text(std::move(text));
    }
    // An empty text empties a field of any other type.
    if (utf8.empty()) return Value{};
    if (def.type == FieldType::Float) {
        auto v = ParseFloat(utf8);
        if (!v) RefuseText(def, utf8);
        return Value::Real(*v);
    }
    if (def.type == FieldType::Boolean) {
        auto v = ParseBoolean(utf8);
        if (!v) RefuseText(def, utf8);
        return Value::Int(*v ? 1 : 0);
    }
    auto v = ParseInteger(utf8);
    if (!v) RefuseText(def, utf8);
    return CheckedInteger(def, *v);
}

Value StoreInteger(const FieldDef& def, std::int64_t v) {
    switch (def.type) {
        case FieldType::String: return StoreText(def, std::to_string(v));
        case FieldType::Float: return Value::Real(static_cast<double>(v));
        case FieldType::Boolean: return Value::Int(v != 0 ? 1 : 0);
        default: return CheckedInteger(def, v);
    }
}

Value StoreFloat(const FieldDef& def, double v) {
    if (!std::isfinite(v)) Refuse(def, "に数値でない値は入りません。");
    switch (def.type) {
        case FieldType::Float: return Value::Real(v);
        case FieldType::String: return StoreText(def, FloatText(v));
        case FieldType::Boolean: return Value::Int(v != 0 ? 1 : 0);
        default:
            // No silent rounding: a fraction does not go into a whole-number field.
            if (v != std::trunc(v) || std::fabs(v) > 9.0e15)
                Refuse(def, "には整数しか入りません（" + FloatText(v) + "）。");
            return CheckedInteger(def, static_cast<std::int64_t>(v));
    }
}

Value StoreBoolean(const FieldDef& def, bool v) {
    switch (def.type) {
        case FieldType::Boolean:
        case FieldType::Int16:
        case FieldType::Int32: return Value::Int(v ? 1 : 0);
        case FieldType::Float: return Value::Real(v ? 1.0 : 0.0);
        case FieldType::String: return StoreText(def, v ? "1" : "0");
        case FieldType::Date: break;
    }
    Refuse(def, "に真偽値は入りません。");
}

Value StoreDate(const FieldDef& def, std::int32_t day) {
    if (def.type == FieldType::Boolean) Refuse(def, "に日付は入りません。");
    return StoreInteger(def, day);
}

Value StoreKey(const FieldDef& def, const KeyValue& key) {
    switch (key.kind()) {
        case KeyValue::Kind::Integer: return StoreInteger(def, key.integer());
        case KeyValue::Kind::Float: return StoreFloat(def, key.floating());
        case KeyValue::Kind::Boolean: return StoreBoolean(def, key.integer() != 0);
        case KeyValue::Kind::Text: break;
    }
    Value v = StoreText(def, key.text());
    if (v.isNull()) RefuseText(def, key.text());
    return v;
}

std::int32_t ReadInteger(const FieldDef& def, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: return 0;
        case Value::Kind::Integer: return static_cast<std::int32_t>(v.integer);
        case Value::Kind::Real: Refuse(def, "は整数として読めません。");
        case Value::Kind::Text: break;
    }
    auto parsed = ParseInteger(v.text);
    if (!parsed || *parsed < std::numeric_limits<std::int32_t>::min() ||
        *parsed > std::numeric_limits<std::int32_t>::max()) {
        RefuseText(def, v.text);
    }
    return static_cast<std::int32_t>(*parsed);
}

double ReadFloat(const FieldDef& def, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: return 0;
        case Value::Kind::Integer: return static_cast<double>(v.integer);
        case Value::Kind::Real: return v.real;
        case Value::Kind::Text: break;
    }
    auto parsed = ParseFloat(v.text);
    if (!parsed) RefuseText(def, v.text);
    return *parsed;
}

std::string ReadText(const FieldDef&, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: return {};
        case Value::Kind::Integer: return std::to_string(v.integer);
        case Value::Kind::Real: return FloatText(v.real);
        case Value::Kind::Text: break;
    }
    return v.text;
}

bool ReadBoolean(const FieldDef& def, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: return false;
        case Value::Kind::Integer: return v.integer != 0;
        case Value::Kind::Real: return v.real != 0;
        case Value::Kind::Text: break;
    }
    auto parsed = ParseBoolean(v.text);
    if (!parsed) RefuseText(def, v.text);
    return *parsed;
}

std::int32_t ReadDate(const FieldDef& def, const Value& v) {
    if (def.type == FieldType::Boolean) Refuse(def, "は日付として読めません。");
    return ReadInteger(def, v);
}

}  // namespace korvalen::tablestore::detail
