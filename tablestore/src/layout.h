// A table's layout (its fields in order and its primary key) and how it is
// written into and read back from the table file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/tablestore/field.h"

namespace korvalen::tablestore::detail {

// Names inside every table file; they do not depend on the table's name, so
// renamed files open under their new name.
inline constexpr const char* kRowsTable = "rows";
inline constexpr const char* kKeyIndex = "rows_key";
// The row number column: the order of a table without a key, and how a
// cursor finds its row again. Field names cannot clash with it.
inline constexpr const char* kRowColumn = "\"#row\"";
// PRAGMA application_id of a table file ("KRVL") and its format version.
inline constexpr int kApplicationId = 0x4B52564C;
inline constexpr int kFormatVersion = 1;

struct Layout {
    std::vector<FieldDef> fields;
    std::vector<int> key;  // field positions, in key order

    // Position of a field; ASCII letters match in either case.
    std::optional<int> find(std::string_view name) const;
    std::string keyText() const;  // "CODE;SEQ"
    bool keyed() const { return !key.empty(); }
};

// Equal but for the case of ASCII letters.
bool SameNameAscii(std::string_view a, std::string_view b);

// Checks a definition given for create(); DataError for a bad one.
Layout MakeLayout(std::vector<FieldDef> fields, std::string_view keyDef);

// The layout is the declaration of the rows table itself: each field a
// column in order, its type written as "TEXT(40)", "INT16", "INT32",
// "FLOAT", "DATE" or "BOOLEAN", preceded by "KEY1", "KEY2", ... for the
// key's fields in key order; a required field is NOT NULL. (The unique
// index over the key fields enforces and orders the key.) SQLite keeps the
// declaration in memory once the file is attached, so reading the layout
// costs no further look at the file.
struct StoredColumn {
    std::string name;
    std::string type;
    bool notNull = false;
};
// The columns after the row number; nothing when they are not a layout this
// engine could have written.
std::optional<Layout> LayoutFromStored(const std::vector<StoredColumn>& columns);

std::string Quote(std::string_view name);
// Statements that build an empty table of the layout in the given schema,
// without its key index; and the one that builds the index (for a layout
// with a key).
std::vector<std::string> CreateStatements(const Layout& layout, const std::string& schema);
std::string CreateIndexStatement(const Layout& layout, const std::string& schema);

}  // namespace korvalen::tablestore::detail
