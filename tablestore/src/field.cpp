#include "korvalen/tablestore/field.h"

#include "cursor.h"
#include "value.h"

namespace korvalen::tablestore {

using detail::Value;

const std::string& Field::name() const { return cursor_->def(index_).name; }
FieldType Field::type() const { return cursor_->def(index_).type; }
int Field::size() const { return cursor_->def(index_).size; }

bool Field::isNull() const { return cursor_->value(index_).isNull(); }
std::int32_t Field::asInteger() const { return detail::ReadInteger(cursor_->def(index_), cursor_->value(index_)); }
double Field::asFloat() const { return detail::ReadFloat(cursor_->def(index_), cursor_->value(index_)); }
std::string Field::asString() const { return detail::ReadText(cursor_->def(index_), cursor_->value(index_)); }
bool Field::asBoolean() const { return detail::ReadBoolean(cursor_->def(index_), cursor_->value(index_)); }
std::int32_t Field::asDate() const { return detail::ReadDate(cursor_->def(index_), cursor_->value(index_)); }

void Field::setInteger(std::int64_t value) {
    cursor_->setValue(index_, detail::StoreInteger(cursor_->def(index_), value));
}
void Field::setFloat(double value) { cursor_->setValue(index_, detail::StoreFloat(cursor_->def(index_), value)); }
void Field::setString(std::string_view utf8) {
    cursor_->setValue(index_, detail::StoreText(cursor_->def(index_), utf8));
}
void Field::setBoolean(bool value) { cursor_->setValue(index_, detail::StoreBoolean(cursor_->def(index_), value)); }
void Field::setDate(std::int32_t day) { cursor_->setValue(index_, detail::StoreDate(cursor_->def(index_), day)); }
void Field::clear() { cursor_->setValue(index_, Value{}); }

void Field::assign(const Field& source) {
    if (source.isNull()) {
        clear();
        return;
    }
    switch (source.type()) {
        case FieldType::String: setString(source.asString()); break;
        case FieldType::Float: setFloat(source.asFloat()); break;
        case FieldType::Boolean: setBoolean(source.asBoolean()); break;
        case FieldType::Date: setDate(source.asDate()); break;
        case FieldType::Int16:
        case FieldType::Int32: setInteger(source.asInteger()); break;
    }
}

}  // namespace korvalen::tablestore
