// The working part of an open Table: its position, range, read-ahead batch
// and edit buffer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "korvalen/tablestore/table.h"
#include "layout.h"
#include "value.h"

struct sqlite3_stmt;

namespace korvalen::tablestore::detail {

class Session;
struct Attachment;
struct Layout;

class Cursor {
public:
    Cursor(Session& session, Attachment& table);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void close() noexcept;
    // The database object disconnects: forget the session without using it.
    void sessionClosing() noexcept;
    bool isOpen() const { return session_ != nullptr; }
    Table::State state() const;
    const Layout& layout() const;
    const FieldDef& def(int index) const {
        if (!session_) session();
        return (*fields_)[static_cast<std::size_t>(index)];
    }
    Field field(int index);

    void first();
    void next();
    void last();
    bool eof();
    bool findKey(std::span<const KeyValue> values);
    void setRange(std::span<const KeyValue> values);
    void cancelRange();
    std::int64_t recordCount();

    void append();
    void edit();
    void post();
    void cancel() noexcept;
    void deleteRecord();

    // Field reads come here for every field of every row: the common case,
    // a positioned row in browse state, takes no detour.
    const Value& value(int index) {
        if (session_ && state_ == Table::State::Browse && !pendingFirst_ && hasRow_) {
            return rows_[pos_ * stride_ + 1 + static_cast<std::size_t>(index)];
        }
        return valueSlow(index);
    }
    void setValue(int index, Value value);

private:
    enum class Query : std::uint32_t { First = 1, After, Last, Seek, Count, ByRow, Insert, Update, Delete };

    Session& session() const;
    Attachment& table() const;
    void requireBrowse() const;
    void ensurePositioned();
    std::vector<Value> keyValues(std::span<const KeyValue> values) const;

    sqlite3_stmt* prepare(Query q, int seekFields = 0);
    int bindRange(sqlite3_stmt* st);
    // Reads up to limit rows of a bound statement into the batch; keeps the
    // old batch (and returns 0) when the statement yields none. Without
    // replace the rows stay in incoming_. inRange: the statement returns
    // rows of the range only.
    std::size_t fetch(sqlite3_stmt* st, std::size_t limit, bool replace = true, bool inRange = true);
    void fetchAfterCurrent();
    void moveToLast(bool pastEnd);
    // No current row: the table (or range) is empty.
    void becomeEmpty();
    // The batch is the one row at its start.
    void keepOnly();
    const Value* currentRow() const;
    const Value& valueSlow(int index);
    // The key a write is noted under: the key fields of a row's fields, or
    // its row number in a table without a key.
    std::vector<Value> KeyOf(const Value* fields, std::int64_t rowNumber) const;
    // Whether the writes through this connection since the batch was read
    // leave the rows it has yet to hand out as they were.
    bool BatchUnchanged() const;
    bool WithinBatch(const std::vector<Value>& key) const;

    Session* session_;
    Attachment* table_;
    const std::vector<FieldDef>* fields_;
    std::size_t stride_;  // row number, then the fields
    std::vector<FieldType> types_;

    std::vector<Value> range_;
    // For each field: its place in the range, -1 when the range leaves it free.
    std::vector<int> rangeSlot_;
    std::vector<Value> rows_;
    std::vector<Value> incoming_;
    std::size_t count_ = 0;
    std::size_t pos_ = 0;
    std::size_t nextLimit_ = 0;
    bool hasRow_ = false;
    bool more_ = false;  // rows may follow the batch
    bool eof_ = true;
    bool pendingFirst_ = true;
    std::uint64_t generation_ = 0;

    Table::State state_ = Table::State::Browse;
    std::vector<Value> edit_;
    std::int64_t editRow_ = 0;
    std::vector<Value> editKey_;  // the edited row's key as it was read
    bool holdsLock_ = false;
};

}  // namespace korvalen::tablestore::detail
