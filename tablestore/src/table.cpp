#include "korvalen/tablestore/table.h"

#include "cursor.h"
#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/errors.h"
#include "layout.h"
#include "session.h"

namespace korvalen::tablestore {

Table::Table(Database& database, std::string tableName) : database_(&database), name_(std::move(tableName)) {}

Table::~Table() { close(); }

void Table::setTableName(std::string tableName) {
    if (isOpen()) throw DataError("開いているテーブル「" + name_ + "」の名前は変えられません。");
    name_ = std::move(tableName);
}

void Table::setFieldDefs(std::vector<FieldDef> fields) { defs_ = std::move(fields); }
void Table::setIndexDef(std::string keyFields) { indexDef_ = std::move(keyFields); }

void Table::create() {
    detail::Layout layout = detail::MakeLayout(defs_, indexDef_);
    database_->session().createTable(name_, layout);
}

void Table::open() {
    if (isOpen()) return;
    detail::Session& session = database_->session();
    detail::Attachment& table = session.openTable(name_);
    try {
        cursor_ = std::make_unique<detail::Cursor>(session, table);
    } catch (...) {
        session.closeTable(table);
        throw;
    }
}

void Table::close() noexcept { cursor_.reset(); }

bool Table::isOpen() const { return cursor_ && cursor_->isOpen(); }
Table::State Table::state() const { return cursor_ ? cursor_->state() : State::Closed; }

detail::Cursor& Table::open_cursor() const {
    if (!isOpen()) throw DataError("テーブル「" + name_ + "」が開かれていません。");
    return *cursor_;
}

const std::vector<FieldDef>& Table::fieldDefs() const { return open_cursor().layout().fields; }

std::vector<std::string> Table::indexFields() const {
    const detail::Layout& l = open_cursor().layout();
    std::vector<std::string> names;
    for (int k : l.key) names.push_back(l.fields[static_cast<std::size_t>(k)].name);
    return names;
}

int Table::fieldCount() const { return static_cast<int>(fieldDefs().size()); }
bool Table::findField(std::string_view name) const { return open_cursor().layout().find(name).has_value(); }

Field Table::fieldByName(std::string_view name) {
    auto pos = open_cursor().layout().find(name);
    if (!pos) throw DataError("テーブル「" + name_ + "」に項目「" + std::string(name) + "」はありません。");
    return cursor_->field(*pos);
}

Field Table::field(int position) { return open_cursor().field(position); }

void Table::first() { open_cursor().first(); }
void Table::next() { open_cursor().next(); }
void Table::last() { open_cursor().last(); }
bool Table::eof() { return open_cursor().eof(); }
bool Table::findKey(std::initializer_list<KeyValue> values) {
    return findKey(std::span(values.begin(), values.size()));
}
bool Table::findKey(std::span<const KeyValue> values) { return open_cursor().findKey(values); }
void Table::setRange(std::initializer_list<KeyValue> values) { setRange(std::span(values.begin(), values.size())); }
void Table::setRange(std::span<const KeyValue> values) { open_cursor().setRange(values); }
void Table::cancelRange() { open_cursor().cancelRange(); }
std::int64_t Table::recordCount() { return open_cursor().recordCount(); }
void Table::append() { open_cursor().append(); }
void Table::edit() { open_cursor().edit(); }
void Table::post() { open_cursor().post(); }
void Table::cancel() noexcept {
    if (cursor_) cursor_->cancel();
}
void Table::deleteRecord() { open_cursor().deleteRecord(); }

}  // namespace korvalen::tablestore
