// Field definitions, key values and the field handle of a table cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvalen::tablestore {

enum class FieldType { String, Int16, Int32, Float, Date, Boolean };

// One field of a table. size is the most bytes a String may take once
// written as Shift-JIS (CP932), measured by base::Cp932Length; it is ignored
// for the other types. A String keeps its text as CP932 would: 〜 and − are
// stored as ～ and － (base::NormalizeForCp932).
struct FieldDef {
    std::string name;
    FieldType type = FieldType::Int32;
    int size = 0;
    bool required = false;

    bool operator==(const FieldDef&) const = default;
};

std::string_view FieldTypeName(FieldType type);

// A value given for a key field (find key, set range). Converted to the
// field's type before use; a value the field cannot hold is a DataError.
class KeyValue {
public:
    enum class Kind { Integer, Float, Text, Boolean };

    KeyValue(int v) : kind_(Kind::Integer), integer_(v) {}
    KeyValue(long v) : kind_(Kind::Integer), integer_(v) {}
    KeyValue(long long v) : kind_(Kind::Integer), integer_(v) {}
    KeyValue(double v) : kind_(Kind::Float), float_(v) {}
    KeyValue(bool v) : kind_(Kind::Boolean), integer_(v ? 1 : 0) {}
    KeyValue(std::string v) : kind_(Kind::Text), text_(std::move(v)) {}
    KeyValue(const char* v) : kind_(Kind::Text), text_(v) {}
    KeyValue(std::string_view v) : kind_(Kind::Text), text_(v) {}

    Kind kind() const { return kind_; }
    std::int64_t integer() const { return integer_; }
    double floating() const { return float_; }
    const std::string& text() const { return text_; }

private:
    Kind kind_;
    std::int64_t integer_ = 0;
    double float_ = 0;
    std::string text_;
};

namespace detail {
class Cursor;
}

// A field of the current row of an open table, by position. Stays valid
// while the table stays open. Reading an empty (null) field gives 0, 0.0,
// false or "". Writing needs the table in edit or append state; a value the
// field cannot hold exactly (a text too long in Shift-JIS bytes or not
// representable there, an int16 out of range, a fraction into an integer) is
// a DataError and leaves the field as it was.
class Field {
public:
    const std::string& name() const;
    FieldType type() const;
    int size() const;
    int position() const { return index_; }

    bool isNull() const;
    std::int32_t asInteger() const;
    double asFloat() const;
    std::string asString() const;
    bool asBoolean() const;
    std::int32_t asDate() const;  // day number, 0 = 30 December 1899

    void setInteger(std::int64_t value);
    void setFloat(double value);
    void setString(std::string_view utf8);
    void setBoolean(bool value);
    void setDate(std::int32_t dayNumber);
    void clear();
    // Copies the value of another field (of this or another table) as the
    // other field's type, converting it to this field's type.
    void assign(const Field& source);

private:
    friend class detail::Cursor;
    Field(detail::Cursor* cursor, int index) : cursor_(cursor), index_(index) {}
    detail::Cursor* cursor_;
    int index_;
};

}  // namespace korvalen::tablestore
