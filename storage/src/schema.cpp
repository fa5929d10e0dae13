#include "korvalen/storage/schema.h"

#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

using tablestore::FieldType;

TableLayout CaseTableLayout() {
    return {kCaseTable,
            {{"CODE", FieldType::Int16, 0, true},
             {"SEQ", FieldType::Int16, 0, true},
             {"NAME", FieldType::String, 40},
             {"GYOSYA_NAME", FieldType::String, 40},
             {"BIKO", FieldType::String, 160},
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
             {"PCNAME", FieldType::String, 30},
             {"USERNAME", FieldType::String, 30},
             {"CS_KUBUN", FieldType::Boolean},
             {"CreateDate", FieldType::Date},
             {"LOGON_KUBUN", FieldType::Boolean},
             {"VERSION", FieldType::String, 12},
             {"VERUPFLG", FieldType::Boolean}},
            "VER;CODE"};
}

TableLayout OptionsTableLayout() {
    return {kOptionsTable,
            {{"SAMAFLG", FieldType::Int16},
             {"BARCODE", FieldType::Boolean},
             {"HENSAIHOUHOU_TAB", FieldType::Int32},
             {"PREF", FieldType::Boolean},
             {"PROXY_ADDRESS", FieldType::String, 60},
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
