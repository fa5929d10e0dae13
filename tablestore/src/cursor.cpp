#include "cursor.h"

#include <sqlite3.h>

#include <algorithm>

#include "korvalen/tablestore/errors.h"
#include "session.h"

namespace korvalen::tablestore::detail {
namespace {

// The first read-ahead holds a whole case's history; later ones grow for
// long walks. A single row is read alone (find key, last).
constexpr std::size_t kFirstBatch = 512;
constexpr std::size_t kGrowth = 4;
constexpr std::size_t kLargestBatch = 4096;

const Value kNull{};

void Bind(sqlite3_stmt* st, int index, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: sqlite3_bind_null(st, index); break;
        case Value::Kind::Integer: sqlite3_bind_int64(st, index, v.integer); break;
        case Value::Kind::Real: sqlite3_bind_double(st, index, v.real); break;
        case Value::Kind::Text:
            sqlite3_bind_text(st, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
            break;
    }
}

std::string KeyColumn(const Layout& layout, std::size_t k) {
    return Quote(layout.fields[static_cast<std::size_t>(layout.key[k])].name);
}

// "K1","K2" (or the row number for a table without a key), each with suffix.
std::string OrderColumns(const Layout& layout, const char* suffix) {
    if (!layout.keyed()) return std::string(kRowColumn) + suffix;
    std::string out;
    for (std::size_t k = 0; k < layout.key.size(); ++k) {
        if (k) out += ",";
        out += KeyColumn(layout, k) + suffix;
    }
    return out;
}

}  // namespace

Cursor::Cursor(Session& session, Attachment& table)
    : session_(&session),
      table_(&table),
      fields_(&table.layout.fields),
      stride_(table.layout.fields.size() + 1),
      rangeSlot_(table.layout.fields.size(), -1) {
    for (const FieldDef& f : table.layout.fields) types_.push_back(f.type);
    session.add(this);
}

Cursor::~Cursor() { close(); }

void Cursor::close() noexcept {
    if (!session_) return;
    cancel();
    session_->remove(this);
    session_->closeTable(*table_);
    session_ = nullptr;
    table_ = nullptr;
}

void Cursor::sessionClosing() noexcept {
    // The session drops its write lock and tables itself.
    holdsLock_ = false;
    state_ = Table::State::Browse;
    session_ = nullptr;
    table_ = nullptr;
}

Session& Cursor::session() const {
    if (!session_) throw DataError("テーブルが開かれていません。");
    return *session_;
}

Attachment& Cursor::table() const {
    session();
    return *table_;
}

Table::State Cursor::state() const { return session_ ? state_ : Table::State::Closed; }
const Layout& Cursor::layout() const { return table().layout; }

Field Cursor::field(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= layout().fields.size()) {
        throw DataError("項目番号 " + std::to_string(index) + " はありません。");
    }
    return Field(this, index);
}

void Cursor::requireBrowse() const {
    session();
    if (state_ != Table::State::Browse) {
        throw DataError("テーブル「" + table_->table + "」のレコードが編集中です。保存するか取り消して下さい。");
    }
}

sqlite3_stmt* Cursor::prepare(Query q, int seekFields) {
    Attachment& t = table();
    const std::uint32_t key = static_cast<std::uint32_t>(q) | static_cast<std::uint32_t>(range_.size()) << 8 |
                              static_cast<std::uint32_t>(seekFields) << 16;
    if (auto cached = t.statements.find(key); cached != t.statements.end()) return cached->second;
    const std::size_t rangeFields = range_.size();
    return session().statement(t, key, [&] {
        const Layout& l = t.layout;
        const std::string from = Quote(t.schema) + "." + kRowsTable;
        std::string columns = kRowColumn;
        for (const FieldDef& f : l.fields) columns += "," + Quote(f.name);
        std::string where = "1";
        for (std::size_t k = 0; k < rangeFields; ++k) where += " AND " + KeyColumn(l, k) + "=?";
        const std::string select = "SELECT " + columns + " FROM " + from + " WHERE " + where;
        // The key fields after the range's, compared as one value: with the
        // range's fields fixed by equality, SQLite seeks straight to it in
        // the index.
        auto tuple = [&](std::size_t to, const char* op) {
            std::string cols, marks;
            for (std::size_t k = rangeFields; k < to; ++k) {
                cols += (k > rangeFields ? "," : "") + KeyColumn(l, k);
                marks += k > rangeFields ? ",?" : "?";
            }
            return " AND (" + cols + ")" + op + "(" + marks + ")";
        };
        switch (q) {
            case Query::First: return select + " ORDER BY " + OrderColumns(l, "") + " LIMIT ?";
            case Query::After: {
                std::string after = " AND " + std::string(kRowColumn) + ">?";
                if (l.keyed()) after = rangeFields < l.key.size() ? tuple(l.key.size(), ">") : " AND 0";
                return select + after + " ORDER BY " + OrderColumns(l, "") + " LIMIT ?";
            }
            case Query::Last: return select + " ORDER BY " + OrderColumns(l, " DESC") + " LIMIT ?";
            case Query::Seek: {
                const auto to = static_cast<std::size_t>(seekFields);
                return select + (to > rangeFields ? tuple(to, ">=") : std::string()) + " ORDER BY " +
                       OrderColumns(l, "") + " LIMIT ?";
            }
            case Query::Count: return "SELECT count(*) FROM " + from + " WHERE " + where;
            case Query::ByRow: return "SELECT " + columns + " FROM " + from + " WHERE " + kRowColumn + "=? LIMIT ?";
            case Query::Insert: {
                std::string names, marks;
                for (const FieldDef& f : l.fields) {
                    names += (names.empty() ? "" : ",") + Quote(f.name);
                    marks += marks.empty() ? "?" : ",?";
                }
                return "INSERT INTO " + from + "(" + names + ") VALUES(" + marks + ")";
            }
            case Query::Update: {
                std::string sets;
                for (const FieldDef& f : l.fields) sets += (sets.empty() ? "" : ",") + Quote(f.name) + "=?";
                return "UPDATE " + from + " SET " + sets + " WHERE " + kRowColumn + "=?";
            }
            case Query::Delete: return "DELETE FROM " + from + " WHERE " + kRowColumn + "=?";
        }
        return std::string();
    });
}

int Cursor::bindRange(sqlite3_stmt* st) {
    int index = 1;
    for (const Value& v : range_) Bind(st, index++, v);
    return index;
}

namespace {

// A stored value of another type than its field's: only a foreign writer or
// damage that left the page sound can put it there.
[[noreturn]] void Damaged(sqlite3_stmt* st, const Attachment& t, std::size_t column) {
    sqlite3_reset(st);
    throw EngineError(codes::TableDamaged, t.table,
                      "field " + t.layout.fields[column - 1].name + " holds a value of another type");
}

}  // namespace

std::size_t Cursor::fetch(sqlite3_stmt* st, std::size_t limit, bool replace, bool inRange) {
    Attachment& t = table();
    const int limitIndex = sqlite3_bind_parameter_count(st);
    sqlite3_bind_int64(st, limitIndex, static_cast<sqlite3_int64>(limit));
    std::size_t count = 0;
    while (count < limit && session().step(st, t)) {
        // The values are overwritten in place: a batch of 512 rows makes no
        // allocation once the buffer has grown.
        const std::size_t base = count * stride_;
        if (incoming_.size() < base + stride_) incoming_.resize(base + stride_);
        Value* out = &incoming_[base];
        out[0].kind = Value::Kind::Integer;
        out[0].integer = sqlite3_column_int64(st, 0);
        for (std::size_t c = 1; c < stride_; ++c) {
            // A field the range fixes holds the range's value (when the
            // statement keeps to the range).
            if (const int slot = rangeSlot_[c - 1]; slot >= 0 && inRange) {
                out[c] = range_[static_cast<std::size_t>(slot)];
                continue;
            }
            // One getter call per number: the type is asked for only when
            // the value reads as 0, to tell an empty field from a zero and a
            // text from either. (A fraction stored in a whole-number field by
            // a foreign writer reads cut here; checkTable reports it.)
            const int col = static_cast<int>(c);
            Value& d = out[c];
            switch (types_[c - 1]) {
                case FieldType::String: {
                    // The type first: reading a number as text would convert it.
                    const int type = sqlite3_column_type(st, col);
                    if (type == SQLITE_NULL) {
                        d.kind = Value::Kind::Null;
                        break;
                    }
                    if (type != SQLITE_TEXT) Damaged(st, t, c);
                    d.kind = Value::Kind::Text;
                    d.text.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                  static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
                    break;
                }
                case FieldType::Float:
                    d.real = sqlite3_column_double(st, col);
                    d.kind = Value::Kind::Real;
                    if (d.real == 0.0) {
                        const int type = sqlite3_column_type(st, col);
                        if (type == SQLITE_NULL)
                            d.kind = Value::Kind::Null;
                        else if (type != SQLITE_FLOAT && type != SQLITE_INTEGER)
                            Damaged(st, t, c);
                    }
                    break;
                default:
                    d.integer = sqlite3_column_int64(st, col);
                    d.kind = Value::Kind::Integer;
                    if (d.integer == 0) {
                        const int type = sqlite3_column_type(st, col);
                        if (type == SQLITE_NULL)
                            d.kind = Value::Kind::Null;
                        else if (type != SQLITE_INTEGER)
                            Damaged(st, t, c);
                    }
                    break;
            }
        }
        ++count;
    }
    sqlite3_reset(st);
    if (!replace) return count;
    generation_ = t.generation;
    if (count > 0) {
        rows_.swap(incoming_);
        count_ = count;
        pos_ = 0;
        hasRow_ = true;
        more_ = count == limit;
        nextLimit_ = std::min(limit * kGrowth, kLargestBatch);
    }
    return count;
}

const Value* Cursor::currentRow() const { return hasRow_ ? &rows_[pos_ * stride_] : nullptr; }

void Cursor::keepOnly() {
    count_ = 1;
    pos_ = 0;
    hasRow_ = true;
    more_ = true;
    generation_ = table().generation;
    nextLimit_ = kFirstBatch;
}

void Cursor::ensurePositioned() {
    if (pendingFirst_) first();
}

void Cursor::first() {
    requireBrowse();
    pendingFirst_ = false;
    sqlite3_stmt* st = prepare(Query::First);
    bindRange(st);
    if (fetch(st, kFirstBatch) > 0) {
        eof_ = false;
    } else {
        becomeEmpty();
    }
}

void Cursor::becomeEmpty() {
    hasRow_ = false;
    more_ = false;
    eof_ = true;
}

void Cursor::fetchAfterCurrent() {
    const Layout& l = layout();
    sqlite3_stmt* st = prepare(Query::After);
    int index = bindRange(st);
    const Value* row = currentRow();
    if (l.keyed()) {
        for (std::size_t k = range_.size(); k < l.key.size(); ++k) Bind(st, index++, row[1 + l.key[k]]);
    } else {
        Bind(st, index++, row[0]);
    }
    if (fetch(st, std::max(nextLimit_, kFirstBatch)) > 0) {
        eof_ = false;
    } else {
        more_ = false;
        eof_ = true;
    }
}

void Cursor::next() {
    requireBrowse();
    ensurePositioned();
    if (!hasRow_) {
        becomeEmpty();
        return;
    }
    if (eof_) return;
    if (!BatchUnchanged()) {
        // This connection wrote among the rows still to come: read on from
        // the current key.
        fetchAfterCurrent();
        return;
    }
    generation_ = table().generation;
    if (pos_ + 1 < count_) {
        ++pos_;
    } else if (!more_) {
        eof_ = true;
    } else {
        fetchAfterCurrent();
    }
}

void Cursor::moveToLast(bool pastEnd) {
    sqlite3_stmt* st = prepare(Query::Last);
    bindRange(st);
    if (fetch(st, 1) > 0) {
        more_ = false;
        eof_ = pastEnd;
    } else {
        becomeEmpty();
    }
}

void Cursor::last() {
    requireBrowse();
    pendingFirst_ = false;
    moveToLast(false);
}

bool Cursor::eof() {
    session();
    if (state_ == Table::State::Browse) ensurePositioned();
    return eof_;
}

std::vector<Value> Cursor::keyValues(std::span<const KeyValue> values) const {
    const Layout& l = layout();
    if (!l.keyed()) throw DataError("テーブル「" + table_->table + "」にはキーがありません。");
    if (values.empty() || values.size() > l.key.size()) {
        throw DataError("テーブル「" + table_->table + "」のキーは " + std::to_string(l.key.size()) + " 項目です（" +
                        std::to_string(values.size()) + " 個の値が指定されました）。");
    }
    std::vector<Value> out;
    for (std::size_t k = 0; k < values.size(); ++k) {
        out.push_back(StoreKey(l.fields[static_cast<std::size_t>(l.key[k])], values[k]));
    }
    return out;
}

bool Cursor::findKey(std::span<const KeyValue> values) {
    requireBrowse();
    std::vector<Value> key = keyValues(values);
    // Within a range only its rows can be found.
    for (std::size_t k = 0; k < key.size() && k < range_.size(); ++k) {
        if (!(key[k] == range_[k])) return false;
    }
    sqlite3_stmt* st = prepare(Query::Seek, static_cast<int>(key.size()));
    int index = bindRange(st);
    for (std::size_t k = range_.size(); k < key.size(); ++k) Bind(st, index++, key[k]);

    // Read into the side buffer: a miss leaves the position as it was.
    bool found = fetch(st, 1, false) > 0;
    for (std::size_t k = 0; found && k < key.size(); ++k) {
        if (!(incoming_[1 + static_cast<std::size_t>(layout().key[k])] == key[k])) found = false;
    }
    if (!found) return false;
    rows_.swap(incoming_);
    keepOnly();
    eof_ = false;
    pendingFirst_ = false;
    return true;
}

void Cursor::setRange(std::span<const KeyValue> values) {
    requireBrowse();
    range_ = keyValues(values);
    std::fill(rangeSlot_.begin(), rangeSlot_.end(), -1);
    for (std::size_t k = 0; k < range_.size(); ++k)
        rangeSlot_[static_cast<std::size_t>(layout().key[k])] = static_cast<int>(k);
    pendingFirst_ = true;
    hasRow_ = false;
}

void Cursor::cancelRange() {
    requireBrowse();
    range_.clear();
    std::fill(rangeSlot_.begin(), rangeSlot_.end(), -1);
    pendingFirst_ = true;
    hasRow_ = false;
}

std::int64_t Cursor::recordCount() {
    session();
    sqlite3_stmt* st = prepare(Query::Count);
    bindRange(st);
    std::int64_t n = 0;
    if (session().step(st, table())) n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    return n;
}

void Cursor::append() {
    requireBrowse();
    edit_.assign(layout().fields.size(), Value{});
    state_ = Table::State::Insert;
}

void Cursor::edit() {
    requireBrowse();
    ensurePositioned();
    if (!hasRow_) {
        append();
        return;
    }
    Attachment& t = table();
    // Hold the folder's write lock from here to the post, and take the row as
    // it is now: no other writer can change it in between.
    session().lockWriter(t.table);
    holdsLock_ = true;
    try {
        const std::int64_t row = currentRow()[0].integer;
        sqlite3_stmt* st = prepare(Query::ByRow);
        sqlite3_bind_int64(st, 1, row);
        if (fetch(st, 1, false, false) == 0) {
            throw DataError("テーブル「" + t.table + "」のこのレコードは他の処理で削除されています。");
        }
        // The batch keeps its place; only the current row is refreshed.
        std::copy(incoming_.begin(), incoming_.begin() + static_cast<std::ptrdiff_t>(stride_),
                  rows_.begin() + static_cast<std::ptrdiff_t>(pos_ * stride_));
        edit_.assign(incoming_.begin() + 1, incoming_.begin() + static_cast<std::ptrdiff_t>(stride_));
        editRow_ = row;
        editKey_ = KeyOf(edit_.data(), row);
    } catch (...) {
        holdsLock_ = false;
        session().unlockWriter();
        throw;
    }
    state_ = Table::State::Edit;
}

void Cursor::post() {
    session();
    if (state_ == Table::State::Browse) return;
    Attachment& t = table();
    try {
        const Layout& l = t.layout;
        for (std::size_t i = 0; i < l.fields.size(); ++i) {
            const bool key = std::find(l.key.begin(), l.key.end(), static_cast<int>(i)) != l.key.end();
            if ((l.fields[i].required || key) && edit_[i].isNull()) {
                throw DataError("テーブル「" + t.table + "」の項目「" + l.fields[i].name + "」に値がありません。");
            }
        }
        const bool insert = state_ == Table::State::Insert;
        std::int64_t row = editRow_;
        // An edit that keeps the key, with no other write since the batch
        // was read, leaves the batch valid: the row changes in place.
        bool inPlace = !insert && hasRow_ && BatchUnchanged() && currentRow()[0].integer == row;
        for (int k : l.key) {
            if (inPlace && !(currentRow()[1 + k] == edit_[static_cast<std::size_t>(k)])) inPlace = false;
        }
        session().write(t, [&] {
            sqlite3_stmt* st = prepare(insert ? Query::Insert : Query::Update);
            int index = 1;
            for (const Value& v : edit_) Bind(st, index++, v);
            if (!insert) sqlite3_bind_int64(st, index, row);
            session().step(st, t);
            if (insert) {
                row = sqlite3_last_insert_rowid(sqlite3_db_handle(st));
            } else if (sqlite3_changes(sqlite3_db_handle(st)) == 0) {
                throw DataError("テーブル「" + t.table + "」のこのレコードは他の処理で削除されています。");
            }
        });
        std::vector<Value> key = KeyOf(edit_.data(), row);
        if (!insert && !(key == editKey_)) t.NoteWrite(editKey_);
        t.NoteWrite(std::move(key));
        if (inPlace) {
            std::copy(edit_.begin(), edit_.end(), rows_.begin() + static_cast<std::ptrdiff_t>(pos_ * stride_ + 1));
            generation_ = t.generation;
        } else {
            // The batch's buffer is reused: once grown, a post allocates
            // nothing for it.
            rows_.resize(stride_);
            rows_[0] = Value::Int(row);
            std::copy(edit_.begin(), edit_.end(), rows_.begin() + 1);
            keepOnly();
        }
        eof_ = false;
        pendingFirst_ = false;
    } catch (...) {
        cancel();
        throw;
    }
    cancel();
}

void Cursor::cancel() noexcept {
    state_ = Table::State::Browse;
    edit_.clear();
    if (holdsLock_) {
        holdsLock_ = false;
        if (session_) session_->unlockWriter();
    }
}

void Cursor::deleteRecord() {
    session();
    if (state_ != Table::State::Browse) cancel();
    ensurePositioned();
    if (!hasRow_) throw DataError("テーブル「" + table().table + "」に削除するレコードがありません。");
    Attachment& t = table();
    const std::int64_t row = currentRow()[0].integer;
    const bool batchCurrent = BatchUnchanged();
    session().write(t, [&] {
        sqlite3_stmt* st = prepare(Query::Delete);
        sqlite3_bind_int64(st, 1, row);
        session().step(st, t);
    });
    t.NoteWrite(KeyOf(currentRow() + 1, row));
    if (batchCurrent && pos_ + 1 < count_) {
        // The rest of the batch still holds, so deleting a whole range reads
        // it once. Positions are never walked back: the deleted row is
        // simply passed over.
        ++pos_;
        generation_ = t.generation;
        eof_ = false;
        return;
    }
    // The deleted row's key is still in the batch: read on from it.
    fetchAfterCurrent();
    if (eof_) moveToLast(true);
}

std::vector<Value> Cursor::KeyOf(const Value* fields, std::int64_t rowNumber) const {
    const Layout& l = layout();
    if (!l.keyed()) return {Value::Int(rowNumber)};
    std::vector<Value> key;
    key.reserve(l.key.size());
    for (int k : l.key) key.push_back(fields[k]);
    return key;
}

bool Cursor::BatchUnchanged() const {
    const Attachment& t = *table_;
    if (generation_ == t.generation) return true;
    if (!hasRow_ || generation_ < t.writesFrom) return false;
    for (auto it = t.writes.rbegin(); it != t.writes.rend() && it->generation > generation_; ++it) {
        if (WithinBatch(it->key)) return false;
    }
    return true;
}

bool Cursor::WithinBatch(const std::vector<Value>& key) const {
    const Layout& l = table_->layout;
    // A row outside the range is never handed out.
    for (std::size_t k = 0; k < range_.size() && k < key.size(); ++k) {
        if (CompareStored(key[k], range_[k]) != 0) return false;
    }
    // Key order against a row of the batch.
    auto compare = [&](const Value* row) {
        if (!l.keyed()) return CompareStored(key[0], row[0]);
        for (std::size_t k = 0; k < l.key.size(); ++k) {
            if (int c = CompareStored(key[k], row[1 + l.key[k]]); c != 0) return c;
        }
        return 0;
    };
    // Rows up to the current one are behind the cursor; past the batch's
    // last row the next batch reads them afresh, unless the batch reached
    // the end.
    if (compare(currentRow()) <= 0) return false;
    return !more_ || compare(&rows_[(count_ - 1) * stride_]) <= 0;
}

const Value& Cursor::valueSlow(int index) {
    session();
    if (state_ != Table::State::Browse) return edit_[static_cast<std::size_t>(index)];
    ensurePositioned();
    const Value* row = currentRow();
    return row ? row[1 + index] : kNull;
}

void Cursor::setValue(int index, Value value) {
    session();
    if (state_ == Table::State::Browse) {
        throw DataError("テーブル「" + table_->table +
                        "」は編集中ではありません。追加または編集を始めてから値を設定して下さい。");
    }
    edit_[static_cast<std::size_t>(index)] = std::move(value);
}

}  // namespace korvalen::tablestore::detail
