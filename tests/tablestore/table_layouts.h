// The four tables of the database folder, as the storage layer defines them,
// and a temporary folder to build them in. A copy of storage's schema on
// purpose: the table engine sits below storage and its tests must not
// depend on it; the layouts change only with the file format.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/table.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::tablestore::fixtures {

struct TableLayout {
    std::string name;
    std::vector<FieldDef> fields;
    std::string key;
};

inline TableLayout CaseTable() {
    using T = FieldType;
    return {"SinseiT13",
            {{"CODE", T::Int16, 0, true},
             {"SEQ", T::Int16, 0, true},
             {"NAME", T::String, 40},
             {"GYOSYA_NAME", T::String, 40},
             {"BIKO", T::String, 160},
             {"START_DAY", T::Date},
             {"KEISAN_KIND", T::Int16},
             {"RIRITSU", T::Float},
             {"KABARAI_RIRITSU", T::Float},
             {"START_KARI", T::Int32},
             {"NOW_ZAN", T::Int32},
             {"HIKINAOSIGO_ZAN", T::Int32},
             {"SYONITI_UMU", T::Boolean},
             {"HIKI_RIRITU", T::Int32},
             {"SEISAN_KIND", T::Int16},
             {"CHECKBOX", T::Int16}},
            "CODE;SEQ"};
}

inline TableLayout HistoryTable() {
    using T = FieldType;
    return {"SinseiT32",
            {{"CODE", T::Int16, 0, true},
             {"SEQ", T::Int16, 0, true},
             {"SEQNO", T::Int16, 0, true},
             {"DATE", T::Date},
             {"KARIIRE", T::Int32},
             {"HENSAI", T::Int32},
             {"RIRITSU", T::Float}},
            "CODE;SEQ;SEQNO"};
}

inline TableLayout PcTable() {
    using T = FieldType;
    return {"CSConM",
            {{"VER", T::Int32, 0, true},
             {"CODE", T::Int32, 0, true},
             {"PCNAME", T::String, 30},
             {"USERNAME", T::String, 30},
             {"CS_KUBUN", T::Boolean},
             {"CreateDate", T::Date},
             {"LOGON_KUBUN", T::Boolean},
             {"VERSION", T::String, 12},
             {"VERUPFLG", T::Boolean}},
            "VER;CODE"};
}

inline TableLayout OptionsTable() {
    using T = FieldType;
    return {"Opcfg",
            {{"SAMAFLG", T::Int16},
             {"BARCODE", T::Boolean},
             {"HENSAIHOUHOU_TAB", T::Int32},
             {"PREF", T::Boolean},
             {"PROXY_ADDRESS", T::String, 60},
             {"PROXY_PORT", T::Int16}},
            ""};
}

inline void Create(Database& db, const TableLayout& layout, const std::string& name = {}) {
    Table t(db, name.empty() ? layout.name : name);
    t.setFieldDefs(layout.fields);
    t.setIndexDef(layout.key);
    t.create();
}

using korvalen::testsupport::TempFolder;

}  // namespace korvalen::tablestore::fixtures
