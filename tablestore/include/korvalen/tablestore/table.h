// A table cursor bound by name to a database object.
//
// Several cursors may be open on one table, each with its own position and
// range. Rows come in primary-key order (insertion order for a table without
// a key). A cursor positions by key: first, last, find key and a range read
// the table as it is committed at that moment; next reads ahead in batches
// taken from one committed state, so it never returns a half-written row,
// and it sees this database object's own writes at once.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/tablestore/field.h"

namespace korvalen::tablestore {

class Database;

namespace detail {
class Cursor;
}

class Table {
public:
    enum class State { Closed, Browse, Edit, Insert };

    Table(Database& database, std::string tableName);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& tableName() const { return name_; }
    // Only while closed.
    void setTableName(std::string tableName);

    // Definitions for create(): the fields in order and the primary unique
    // key as a ";"-separated list of field names (empty: no key).
    void setFieldDefs(std::vector<FieldDef> fields);
    void setIndexDef(std::string keyFields);
    // Creates the table's files; TableExists (13060) when its .dat exists.
    void create();

    void open();
    // Closes the table; an unposted edit is discarded. Never throws.
    void close() noexcept;
    bool isOpen() const;
    State state() const;

    // The layout of the open table.
    const std::vector<FieldDef>& fieldDefs() const;
    std::vector<std::string> indexFields() const;
    int fieldCount() const;
    bool findField(std::string_view name) const;  // ASCII letters match in either case
    Field fieldByName(std::string_view name);
    Field field(int position);  // 0-based, in definition order

    void first();
    void next();
    void last();
    // True when the table (within its range) is empty, or next() has gone
    // past the last row; the last row then stays the current row.
    bool eof();

    // Positions on the first row whose leading key fields equal the values;
    // false (and the position unchanged) when there is none. A value the key
    // cannot take, or more values than key fields, is a DataError.
    bool findKey(std::initializer_list<KeyValue> values);
    bool findKey(std::span<const KeyValue> values);
    // Restricts the cursor to the rows whose leading key fields equal the
    // values and moves to the first of them.
    void setRange(std::initializer_list<KeyValue> values);
    void setRange(std::span<const KeyValue> values);
    void cancelRange();
    // Rows within the range (the whole table without one), counted by the
    // index.
    std::int64_t recordCount();

    // Starts a new empty row.
    void append();
    // Edits the current row, freshly read, and holds the folder's write lock
    // until post or cancel, so no other writer changes the row meanwhile. On
    // an empty table (or range) it starts a new row instead.
    void edit();
    // Stores the row. Without a database transaction this is one atomic,
    // durable step. On failure the edit is discarded.
    void post();
    void cancel() noexcept;
    // Removes the current row; the next row becomes current (at the end:
    // the new last row, with eof() true).
    void deleteRecord();

private:
    Database* database_;
    std::string name_;
    std::vector<FieldDef> defs_;
    std::string indexDef_;
    std::unique_ptr<detail::Cursor> cursor_;

    detail::Cursor& open_cursor() const;
};

}  // namespace korvalen::tablestore
