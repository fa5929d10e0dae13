// The case list of the main window: its rows, the deletion of several
// cases, the duplicate of a case and the number of a new case.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korvalen/tablestore/database.h"

namespace korvalen::storage {

struct CaseListRow {
    std::int32_t seq = 0;
    std::string creditor;  // GYOSYA_NAME
    std::string debtor;    // NAME
    std::int64_t entryCount = 0;
};

// Every case in SEQ order with the number of its history entries, read
// from one committed state of both tables without the folder's write lock,
// so other PCs saving meanwhile never make it fail.
std::vector<CaseListRow> ListCases(tablestore::Database& database);

// The texts of a list row: the creditor or "未入力(" + SEQ + ")", the debtor
// or "未入力", the entry count as "#,##0".
std::string CreditorCaption(const std::string& creditor, std::int32_t seq);
std::string DebtorCaption(const std::string& debtor);
std::string EntryCountText(std::int64_t entries);

// The SEQ of a new case: the highest stored one + 1, 0 for an empty list.
// A tablestore::DataError when the numbers are used up.
std::int32_t NextCaseSeq(tablestore::Database& database);

// Deletes the cases one after the other, each in its own transaction;
// `deleted` hears of each one done, so the list can drop its row even when
// a later case fails.
void DeleteCases(tablestore::Database& database, const std::vector<std::int32_t>& seqs,
                 const std::function<void(std::int32_t)>& deleted = {});

// Copies a case under the next SEQ (the highest + 1) in one transaction:
// the names followed by "(コピー)", the other header fields and the whole
// history copied by position. Returns the new SEQ. A case that is not
// stored, names that no longer fit with the suffix and used-up numbers are
// refused with a tablestore::DataError before anything is written.
std::int32_t DuplicateCase(tablestore::Database& database, std::int32_t seq);

}  // namespace korvalen::storage
