#include "korvalen/storage/case_list.h"

#include "case_rows.h"
#include "korvalen/engine/case_model.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/text_limits.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "transaction.h"

namespace korvalen::storage {

namespace {

using tablestore::Table;

constexpr std::string_view kCopySuffix = "(コピー)";
// Header fields from BIKO on (the 5th) are copied by position; history
// fields from DATE on (the 4th).
constexpr int kFirstCopiedCaseField = 4;
constexpr int kFirstCopiedHistoryField = 3;

}  // namespace

std::vector<CaseListRow> ListCases(tablestore::Database& database) {
    // Without the write lock: the list never waits for another PC's edit.
    return database.ReadCommitted([&] {
        std::vector<CaseListRow> rows;
        Table cases(database, std::string(kCaseTable));
        Table entries(database, std::string(kHistoryTable));
        cases.open();
        entries.open();
        cases.setRange({engine::kCaseCode});
        for (cases.first(); !cases.eof(); cases.next()) {
            CaseListRow row;
            row.seq = cases.fieldByName("SEQ").asInteger();
            row.creditor = cases.fieldByName(kCreditorNameColumn.name).asString();
            row.debtor = cases.fieldByName(kDebtorNameColumn.name).asString();
            entries.setRange({engine::kCaseCode, row.seq});
            row.entryCount = entries.recordCount();
            rows.push_back(std::move(row));
        }
        return rows;
    });
}

std::string CreditorCaption(const std::string& creditor, std::int32_t seq) {
    return creditor.empty() ? "未入力(" + std::to_string(seq) + ")" : creditor;
}

std::string DebtorCaption(const std::string& debtor) { return debtor.empty() ? "未入力" : debtor; }

std::string EntryCountText(std::int64_t entries) { return engine::FormatAmount(entries); }

std::int32_t NextCaseSeq(tablestore::Database& database) {
    const std::int64_t next = detail::SeqAfterHighest(database);
    if (next > kHighestSeq) {
        throw tablestore::DataError(
            "事件番号が上限（32,767）に達したため、新しい事件を作れません。\r\n"
            "不要な事件を削除するか、最後の事件を削除してから作成して下さい。");
    }
    return static_cast<std::int32_t>(next);
}

void DeleteCases(tablestore::Database& database, const std::vector<std::int32_t>& seqs,
                 const std::function<void(std::int32_t)>& deleted) {
    for (std::int32_t seq : seqs) {
        DeleteCase(database, seq);
        if (deleted) deleted(seq);
    }
}

std::int32_t DuplicateCase(tablestore::Database& database, std::int32_t seq) {
    CheckSeq(seq);
    return detail::InTransaction(database, [&] {
        const std::int32_t newSeq = NextCaseSeq(database);
        Table from(database, std::string(kCaseTable));
        Table to(database, std::string(kCaseTable));
        from.open();
        to.open();
        if (!from.findKey({engine::kCaseCode, seq})) {
            throw tablestore::DataError("複製する事件（事件番号 " + std::to_string(seq) +
                                        "）が見つかりません。\r\n他のパソコンで削除された可能性があります。");
        }
        const std::string name = from.fieldByName(kDebtorNameColumn.name).asString() + std::string(kCopySuffix);
        const std::string creditor = from.fieldByName(kCreditorNameColumn.name).asString() + std::string(kCopySuffix);
        CheckTextFits("複製後の債務者名（末尾に「(コピー)」が付きます）", name, kDebtorNameColumn.width);
        CheckTextFits("複製後の債権者名（末尾に「(コピー)」が付きます）", creditor, kCreditorNameColumn.width);
        to.append();
        to.fieldByName("CODE").setInteger(engine::kCaseCode);
        to.fieldByName("SEQ").setInteger(newSeq);
        to.fieldByName(kDebtorNameColumn.name).setString(name);
        to.fieldByName(kCreditorNameColumn.name).setString(creditor);
        for (int i = kFirstCopiedCaseField; i < from.fieldCount(); ++i) to.field(i).assign(from.field(i));
        to.post();

        Table source(database, std::string(kHistoryTable));
        Table target(database, std::string(kHistoryTable));
        source.open();
        target.open();
        source.setRange({engine::kCaseCode, seq});
        for (source.first(); !source.eof(); source.next()) {
            target.append();
            target.fieldByName("CODE").setInteger(engine::kCaseCode);
            target.fieldByName("SEQ").setInteger(newSeq);
            target.fieldByName("SEQNO").setInteger(source.fieldByName("SEQNO").asInteger());
            for (int i = kFirstCopiedHistoryField; i < source.fieldCount(); ++i)
                target.field(i).assign(source.field(i));
            target.post();
        }
        return newSeq;
    });
}

}  // namespace korvalen::storage
