// A stored field value as the cursor holds it, and the conversions between
// what a caller gives or asks for and what a field of each type stores.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "korvalen/tablestore/field.h"

namespace korvalen::tablestore::detail {

struct Value {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;

    static Value Int(std::int64_t v) { return Value{Kind::Integer, v, 0, {}}; }
    static Value Real(double v) { return Value{Kind::Real, 0, v, {}}; }
    static Value Text(std::string v) { return Value{Kind::Text, 0, 0, std::move(v)}; }
    bool isNull() const { return kind == Kind::Null; }
    // By kind: a value reused in place may keep stale members of another.
    bool operator==(const Value& other) const {
        if (kind != other.kind) return false;
        switch (kind) {
            case Kind::Null: return true;
            case Kind::Integer: return integer == other.integer;
            case Kind::Real: return real == other.real;
            case Kind::Text: return text == other.text;
        }
        return false;
    }
};

// The order of two stored values in the key index: empty first, then
// numbers by value, then texts by their UTF-8 bytes (SQLite's own order for
// the BINARY collation). Negative, zero or positive.
int CompareStored(const Value& a, const Value& b);

// What a field of the definition stores for a value given as each kind.
// Each throws DataError (naming the field) for a value the field cannot hold
// exactly.
Value StoreInteger(const FieldDef& def, std::int64_t v);
Value StoreFloat(const FieldDef& def, double v);
Value StoreText(const FieldDef& def, std::string_view utf8);
Value StoreBoolean(const FieldDef& def, bool v);
Value StoreDate(const FieldDef& def, std::int32_t day);
Value StoreKey(const FieldDef& def, const KeyValue& key);

// A stored value read as each kind; null reads as 0, 0.0, "" or false.
std::int32_t ReadInteger(const FieldDef& def, const Value& v);
double ReadFloat(const FieldDef& def, const Value& v);
std::string ReadText(const FieldDef& def, const Value& v);
bool ReadBoolean(const FieldDef& def, const Value& v);
std::int32_t ReadDate(const FieldDef& def, const Value& v);

}  // namespace korvalen::tablestore::detail
