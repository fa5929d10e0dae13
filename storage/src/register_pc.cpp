#include "korvalen/storage/data_module.h"
#include "korvalen/storage/schema.h"
#include "korvalen/storage/text_limits.h"
#include "korvalen/tablestore/table.h"

namespace korvalen::storage {

void KorvalenDB::RegisterThisPc(bool updateCheckState) {
    // Facts about the machine are cut to their columns rather than refused:
    // a long host or owner name must not keep the program from starting.
    const std::string pcName = FitCp932(facts_.computerName, kPcNameColumn.width);
    const std::string owner = FitCp932(facts_.registeredOwner, kUserNameColumn.width);
    const std::string version = FitCp932(facts_.programFileVersion, kVersionColumn.width);
    const bool upToDate = !clientMode_ && updateCheckState;

    tablestore::Table pcs(database_, std::string(kPcTable));
    pcs.open();
    if (!pcs.findKey({0, installationNumber_})) {
        pcs.append();
        pcs.fieldByName("VER").setInteger(0);
        pcs.fieldByName("CODE").setInteger(installationNumber_);
        pcs.fieldByName(kPcNameColumn.name).setString(pcName);
        pcs.fieldByName(kUserNameColumn.name).setString(owner);
        pcs.fieldByName("CS_KUBUN").setBoolean(clientMode_);
        pcs.fieldByName("CreateDate").setDate(clock_->Today());
        pcs.fieldByName("LOGON_KUBUN").setBoolean(true);
        pcs.fieldByName(kVersionColumn.name).setString(version);
        pcs.fieldByName("VERUPFLG").setBoolean(upToDate);
        pcs.post();
        return;
    }
    // Another PC under the same number (a copied installation) keeps its row.
    if (pcs.fieldByName(kPcNameColumn.name).asString() != pcName) return;
    pcs.edit();
    pcs.fieldByName(kUserNameColumn.name).setString(owner);
    pcs.fieldByName("LOGON_KUBUN").setBoolean(true);
    pcs.fieldByName(kVersionColumn.name).setString(version);
    pcs.fieldByName("CS_KUBUN").setBoolean(clientMode_);
    if (!clientMode_) pcs.fieldByName("VERUPFLG").setBoolean(upToDate);
    pcs.post();
}

}  // namespace korvalen::storage
