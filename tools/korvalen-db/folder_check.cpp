#include "folder_check.h"

#include <set>
#include <sstream>

#include "korvalen/engine/case_model.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::dbtool {

namespace {

std::vector<std::string> SplitKey(const std::string& key) {
    std::vector<std::string> fields;
    std::istringstream in(key);
    for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
    return fields;
}

std::string LayoutProblem(tablestore::Database& database, const storage::TableLayout& layout) {
    tablestore::Table table(database, std::string(layout.name));
    table.open();
    if (table.fieldDefs() != layout.fields)
        return "項目の構成が現在の形式と違います（古い形式のテーブルは次の起動で変換されます）";
    if (table.indexFields() != SplitKey(layout.key))
        return "キーが現在の形式と違います（" + layout.key + " であるべきです）";
    return {};
}

// History rows are written and deleted together with their case, so rows
// without one mean a change was cut off halfway.
std::vector<std::int32_t> CasesMissingForHistory(tablestore::Database& database) {
    std::set<std::int32_t> cases;
    tablestore::Table header(database, std::string(storage::kCaseTable));
    header.open();
    header.setRange({engine::kCaseCode});
    for (header.first(); !header.eof(); header.next()) cases.insert(header.fieldByName("SEQ").asInteger());
    std::set<std::int32_t> orphans;
    tablestore::Table history(database, std::string(storage::kHistoryTable));
    history.open();
    for (history.first(); !history.eof(); history.next()) {
        const std::int32_t seq = history.fieldByName("SEQ").asInteger();
        if (!cases.count(seq)) orphans.insert(seq);
    }
    return {orphans.begin(), orphans.end()};
}

}  // namespace

std::vector<CheckFinding> CheckFolder(tablestore::Database& database) {
    std::vector<CheckFinding> findings;
    bool casesSound = true;
    for (const storage::TableLayout& layout : storage::AllTableLayouts()) {
        const std::string name(layout.name);
        const std::size_t before = findings.size();
        auto problem = [&](std::string text) { findings.push_back({name, std::move(text)}); };
        if (!database.tableExists(name)) {
            problem("テーブルがありません");
        } else {
            const tablestore::TableCheck check = database.checkTable(name);
            if (!check.ok()) {
                std::string text =
                    "エラーコード " + std::to_string(check.code) + ": " + tablestore::EngineErrorText(check.code, name);
                for (const std::string& line : check.findings) text += "（" + line + "）";
                problem(text);
            } else {
                if (!platform::FileExists(database.tableFile(name, ".idx").string())) {
                    problem("インデックスファイルがありません（次に開くときに作り直されます）");
                }
                if (std::string layoutProblem = LayoutProblem(database, layout); !layoutProblem.empty()) {
                    problem(layoutProblem);
                }
            }
        }
        if (findings.size() == before) {
            findings.push_back({name, {}});
        } else if (name == storage::kCaseTable || name == storage::kHistoryTable) {
            casesSound = false;
        }
    }
    if (casesSound) {
        // Both tables from one committed state: an import going on meanwhile
        // must not look like history without its case.
        for (std::int32_t seq : database.ReadCommitted([&] { return CasesMissingForHistory(database); })) {
            findings.push_back({std::string(storage::kHistoryTable),
                                "事件番号 " + std::to_string(seq) + " の取引がありますが、その事件がありません"});
        }
    }
    return findings;
}

}  // namespace korvalen::dbtool
