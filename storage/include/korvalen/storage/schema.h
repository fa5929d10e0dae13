// The four tables of the database folder: names, layouts and keys. The
// order of the fields is part of the stored format (a duplicate copies
// fields by position), and peers running other versions read the same files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/tablestore/database.h"
#include "korvalen/tablestore/field.h"

namespace korvalen::storage {

inline constexpr std::string_view kCaseTable = "SinseiT13";     // one row per case
inline constexpr std::string_view kHistoryTable = "SinseiT32";  // one row per history entry
inline constexpr std::string_view kPcTable = "CSConM";          // one row per PC using the folder
inline constexpr std::string_view kOptionsTable = "Opcfg";      // the options all PCs share
// Where the upgrade of an old case table builds the new one.
inline constexpr std::string_view kCaseTableUpgrade = "SinseiT13b";

// Case numbers are int16 in both case tables.
inline constexpr std::int32_t kHighestSeq = 32767;

// A text column: its field name and its width in Shift-JIS (CP932) bytes, as
// base::Cp932Length measures a text. The layouts below are made of these, and
// the checks before a save and the input fields limit texts with them.
struct TextColumn {
    std::string_view name;
    int width;
};

// SinseiT13
inline constexpr TextColumn kDebtorNameColumn{"NAME", 40};           // 債務者名
inline constexpr TextColumn kCreditorNameColumn{"GYOSYA_NAME", 40};  // 債権者名
inline constexpr TextColumn kRemarksColumn{"BIKO", 160};             // 備考
// CSConM
inline constexpr TextColumn kPcNameColumn{"PCNAME", 30};
inline constexpr TextColumn kUserNameColumn{"USERNAME", 30};
inline constexpr TextColumn kVersionColumn{"VERSION", 12};
// Opcfg
inline constexpr TextColumn kProxyAddressColumn{"PROXY_ADDRESS", 60};

struct TableLayout {
    std::string_view name;
    std::vector<tablestore::FieldDef> fields;
    std::string key;  // ";"-separated, empty for a table without a key
};

TableLayout CaseTableLayout();
TableLayout HistoryTableLayout();
TableLayout PcTableLayout();
TableLayout OptionsTableLayout();
// The four in the order they are created and checked.
std::vector<TableLayout> AllTableLayouts();

// Creates a table of that layout under `name` (the layout's own name when
// empty). TableExists (13060) when its .dat exists.
void CreateTable(tablestore::Database& database, const TableLayout& layout, std::string_view name = {});

}  // namespace korvalen::storage
