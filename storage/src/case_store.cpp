#include "korvalen/storage/case_store.h"

#include <string>

#include "case_rows.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/text_limits.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "transaction.h"

namespace korvalen::storage {

namespace {

using tablestore::Table;

void WriteHeaderColumns(Table& cases, const engine::CaseRecord& header) {
    cases.fieldByName(kDebtorNameColumn.name).setString(header.NAME);
    cases.fieldByName(kCreditorNameColumn.name).setString(header.GYOSYA_NAME);
    cases.fieldByName(kRemarksColumn.name).setString(header.BIKO);
    cases.fieldByName("RIRITSU").setFloat(header.RIRITSU);
    cases.fieldByName("KABARAI_RIRITSU").setFloat(header.KABARAI_RIRITSU);
    cases.fieldByName("START_KARI").setInteger(header.START_KARI);
    cases.fieldByName("HIKI_RIRITU").setInteger(header.HIKI_RIRITU);
    cases.fieldByName("NOW_ZAN").setInteger(0);
    cases.fieldByName("HIKINAOSIGO_ZAN").setInteger(0);
    cases.fieldByName("KEISAN_KIND").setInteger(header.KEISAN_KIND);
    // No start date is stored as day 0, 30 December 1899.
    cases.fieldByName("START_DAY").setDate(static_cast<std::int32_t>(header.START_DAY));
    cases.fieldByName("SYONITI_UMU").setBoolean(header.SYONITI_UMU);
    cases.fieldByName("SEISAN_KIND").setInteger(header.SEISAN_KIND == 0 ? 0 : 1);
    cases.fieldByName("CHECKBOX").setInteger(header.CHECKBOX == 1 ? 1 : 0);
}

engine::CaseRecord ReadHeaderColumns(Table& cases, std::int32_t seq) {
    engine::CaseRecord header;
    header.CODE = engine::kCaseCode;
    header.SEQ = seq;
    header.NAME = cases.fieldByName(kDebtorNameColumn.name).asString();
    header.GYOSYA_NAME = cases.fieldByName(kCreditorNameColumn.name).asString();
    header.BIKO = cases.fieldByName(kRemarksColumn.name).asString();
    header.RIRITSU = cases.fieldByName("RIRITSU").asFloat();
    header.KABARAI_RIRITSU = cases.fieldByName("KABARAI_RIRITSU").asFloat();
    header.START_KARI = cases.fieldByName("START_KARI").asInteger();
    header.HIKI_RIRITU = cases.fieldByName("HIKI_RIRITU").asInteger();
    header.KEISAN_KIND = cases.fieldByName("KEISAN_KIND").asInteger();
    header.START_DAY = cases.fieldByName("START_DAY").asDate();
    header.SYONITI_UMU = cases.fieldByName("SYONITI_UMU").asBoolean();
    header.SEISAN_KIND = cases.fieldByName("SEISAN_KIND").asInteger() != 0 ? 1 : 0;
    header.CHECKBOX = cases.fieldByName("CHECKBOX").asInteger() == 1 ? 1 : 0;
    return header;
}

// Writes header and history; the caller holds the transaction.
void WriteCase(tablestore::Database& database, std::int32_t seq, const engine::CaseRecord& header,
               const engine::HistoryList& history) {
    {
        Table cases(database, std::string(kCaseTable));
        cases.open();
        if (cases.findKey({engine::kCaseCode, seq})) {
            cases.edit();
        } else {
            cases.append();
            cases.fieldByName("CODE").setInteger(engine::kCaseCode);
            cases.fieldByName("SEQ").setInteger(seq);
        }
        WriteHeaderColumns(cases, header);
        cases.post();
    }
    Table entries(database, std::string(kHistoryTable));
    entries.open();
    detail::DeleteRange(entries, {engine::kCaseCode, seq});
    std::int32_t seqno = 0;
    for (const auto& entry : history) {
        entries.append();
        entries.fieldByName("CODE").setInteger(engine::kCaseCode);
        entries.fieldByName("SEQ").setInteger(seq);
        entries.fieldByName("SEQNO").setInteger(seqno++);
        entries.fieldByName("DATE").setDate(static_cast<std::int32_t>(entry->date));
        entries.fieldByName("KARIIRE").setInteger(entry->borrowing);
        entries.fieldByName("HENSAI").setInteger(entry->repayment);
        // Always the contract rate: the history list never holds limit rates.
        entries.fieldByName("RIRITSU").setFloat(engine::FixedToPercent(entry->rate));
        entries.post();
    }
}

// Apart from the SEQ check, so that SaveNewCase checks its preferred number
// in place of the header's.
void CheckFieldsFit(const engine::CaseRecord& header, const engine::HistoryList& history) {
    CheckTextFits("債権者名", header.GYOSYA_NAME, kCreditorNameColumn.width);
    CheckTextFits("債務者名", header.NAME, kDebtorNameColumn.width);
    CheckTextFits("備考", header.BIKO, kRemarksColumn.width);
    if (history.size() > static_cast<std::size_t>(kHighestSeq) + 1) {
        throw tablestore::DataError("取引が多すぎるため保存できません。\r\n一つの事件に保存できる取引は " +
                                    engine::FormatAmount(kHighestSeq + 1) + " 件までです。");
    }
}

}  // namespace

void CheckSeq(std::int64_t seq) {
    if (seq < 0 || seq > kHighestSeq) {
        throw tablestore::DataError("事件番号 " + std::to_string(seq) +
                                    " は保存できません。\r\n事件番号は 0 から 32,767 までです。");
    }
}

void CheckCaseFits(const engine::CaseRecord& header, const engine::HistoryList& history) {
    CheckSeq(header.SEQ);
    CheckFieldsFit(header, history);
}

std::optional<StoredCase> LoadCase(tablestore::Database& database, std::int32_t seq) {
    CheckSeq(seq);
    return database.ReadCommitted([&]() -> std::optional<StoredCase> {
        StoredCase stored;
        {
            Table cases(database, std::string(kCaseTable));
            cases.open();
            if (!cases.findKey({engine::kCaseCode, seq})) return std::nullopt;
            stored.header = ReadHeaderColumns(cases, seq);
        }
        Table entries(database, std::string(kHistoryTable));
        entries.open();
        // Key order is SEQNO order: the order of the last save, not re-sorted.
        entries.setRange({engine::kCaseCode, seq});
        for (entries.first(); !entries.eof(); entries.next()) {
            auto entry = std::make_unique<engine::HistoryEntry>();
            entry->order = entries.fieldByName("SEQNO").asInteger();
            entry->date = entries.fieldByName("DATE").asDate();
            entry->borrowing = entries.fieldByName("KARIIRE").asInteger();
            entry->repayment = entries.fieldByName("HENSAI").asInteger();
            entry->rate = engine::RateToFixed(entries.fieldByName("RIRITSU").asFloat());
            stored.history.push_back(std::move(entry));
        }
        return stored;
    });
}

void SaveCase(tablestore::Database& database, const engine::CaseRecord& header, const engine::HistoryList& history) {
    CheckCaseFits(header, history);
    detail::InTransaction(database, [&] { WriteCase(database, header.SEQ, header, history); });
}

std::int32_t SaveNewCase(tablestore::Database& database, const engine::CaseRecord& header,
                         const engine::HistoryList& history, std::optional<std::int32_t> preferredSeq) {
    CheckSeq(preferredSeq.value_or(0));
    CheckFieldsFit(header, history);
    return detail::InTransaction(database, [&] {
        std::int32_t seq = preferredSeq.value_or(-1);
        if (seq < 0 || detail::CaseExists(database, seq)) {
            const std::int64_t next = detail::SeqAfterHighest(database);
            CheckSeq(next);
            seq = static_cast<std::int32_t>(next);
        }
        WriteCase(database, seq, header, history);
        return seq;
    });
}

void DeleteCase(tablestore::Database& database, std::int32_t seq) {
    CheckSeq(seq);
    detail::InTransaction(database, [&] { detail::DeleteCaseRows(database, seq); });
}

}  // namespace korvalen::storage
