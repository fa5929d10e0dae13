#include "korvalen/storage/schema.h"

#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

using tablestore::FieldType;

namespace {

tablestore::FieldDef TextField(const TextColumn& column) {
    return {std::string(column.name), FieldType::String, column.width};
}

}  // namespace

TableLayout CaseTableLayout() {
    return {kCaseTable,
            {{"CODE", FieldType::Int16, 0, true},
             {"SEQ", FieldType::Int16, 0, true},
             TextField(kDebtorNameColumn),
             TextField(kCreditorNameColumn),
             TextField(kRemarksColumn),
             {"START_DAY", FieldType::Date},
             {"KEISAN_KIND", FieldType::Int16},
             {"RIRITSU", FieldType::Float},
             {"KABARAI_RIRITSU", FieldType::Float},
             {"START_KARI", FieldType::Int32},
             {"NOW_ZAN", FieldType::Int32},
             {"HIKINAOSIGO_ZAN", FieldType::Int32},
             {"SYONITI_UMU", FieldType::Boolean},
             {"HIKI_RIRITU", FieldType::Int32},
             {"SEISAN_KIND", FieldType::Int16},
             {"CHECKBOX", FieldType::Int16}},
            "CODE;SEQ"};
}

TableLayout HistoryTableLayout() {
    return {kHistoryTable,
            {{"CODE", FieldType::Int16, 0, true},
             {"SEQ", FieldType::Int16, 0, true},
             {"SEQNO", FieldType::Int16, 0, true},
             {"DATE", FieldType::Date},
             {"KARIIRE", FieldType::Int32},
             {"HENSAI", FieldType::Int32},
             {"RIRITSU", FieldType::Float}},
            "CODE;SEQ;SEQNO"};
}

TableLayout PcTableLayout() {
    return {kPcTable,
            {{"VER", FieldType::Int32, 0, true},
             {"CODE", FieldType::Int32, 0, true},
             TextField(kPcNameColumn),
             TextField(kUserNameColumn),
             {"CS_KUBUN", FieldType::Boolean},
             {"CreateDate", FieldType::Date},
             {"LOGON_KUBUN", FieldType::Boolean},
             TextField(kVersionColumn),
             {"VERUPFLG", FieldType::Boolean}},
            "VER;CODE"};
}

TableLayout OptionsTableLayout() {
    return {kOptionsTable,
            {{"SAMAFLG", FieldType::Int16},
             {"BARCODE", FieldType::Boolean},
             {"HENSAIHOUHOU_TAB", FieldType::Int32},
             {"PREF", FieldType::Boolean},
             TextField(kProxyAddressColumn),
             {"PROXY_PORT", FieldType::Int16}},
            ""};
}

std::vector<TableLayout> AllTableLayouts() {
    return {CaseTableLayout(), HistoryTableLayout(), PcTableLayout(), OptionsTableLayout()};
}

void CreateTable(tablestore::Database& database, const TableLayout& layout, std::string_view name) {
    tablestore::Table table(database, std::string(name.empty() ? layout.name : name));
    table.setFieldDefs(layout.fields);
    table.setIndexDef(layout.key);
    table.create();
}

}  // namespace korvalen::storage
