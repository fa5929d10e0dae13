// A second PC for the storage process tests, as its own process.
//   start ROOT NAME FOLDER            open FOLDER as PC NAME; print "ok" or the error
//   lock FOLDER NAME ROUNDS           take and release the build lock ROUNDS times;
//                                     "overlap" when another holder was inside,
//                                     "held N" at the end
//   read ROOT NAME FOLDER SECONDS     open FOLDER through a share as a client and read
//                                     case 0 over and over; "torn ..." for a case read
//                                     half old and half new, "reads N" at the end
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/storage/build_lock.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/tablestore/errors.h"
#include "storage_fixture.h"

using namespace korvalen;
using namespace korvalen::storage;

namespace {

using namespace std::chrono_literals;

int Start(const std::string& root, const std::string& name, const std::string& folder) {
    fixtures::TestPc pc(root, name);
    pc.realWait = 100ms;
    platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", folder);
    try {
        pc.db().DataModuleCreate();
    } catch (const tablestore::EngineError& e) {
        std::cout << "engine error " << e.code() << " " << e.tableName() << "\n";
        return 1;
    } catch (const platform::EndProgram& e) {
        std::cout << "ended: " << e.reason() << "\n";
        return 1;
    }
    std::cout << "ok\n";
    return 0;
}

int Lock(const std::string& folder, const std::string& name, int rounds) {
    const std::string inside = folder + "/inside";
    int held = 0;
    for (int i = 0; i < rounds; ++i) {
        BuildLock lock(folder, name);
        // Giving up under heavy contention is allowed; two holders are not.
        if (!lock.Acquire(true, [](std::chrono::milliseconds) { std::this_thread::sleep_for(5ms); })) continue;
        ++held;
        if (!platform::CreateFileExclusive(inside, name)) std::cout << "overlap\n";
        std::this_thread::sleep_for(2ms);
        platform::RemoveFile(inside);
    }
    std::cout << "held " << held << "\n";
    return 0;
}

// The writer stores version k of case 0 as creditor "c<k>", remarks "v<k>"
// and k % 20 + 1 entries each borrowing k yen.
std::string Torn(const std::string& creditor, const std::string& remarks, std::size_t entries,
                 const std::vector<std::int32_t>& amounts) {
    const int k = std::stoi(remarks.substr(1));
    bool whole = creditor == "c" + std::to_string(k) && entries == static_cast<std::size_t>(k % 20 + 1);
    for (std::int32_t amount : amounts) whole = whole && amount == k;
    return whole ? std::string() : "torn " + creditor + " " + remarks + " " + std::to_string(entries);
}

int Read(const std::string& root, const std::string& name, const std::string& folder, int seconds) {
    fixtures::TestPc pc(root, name);
    platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", "/" + folder);
    pc.db().DataModuleCreate();
    if (!pc.db().ClientMode()) {
        std::cout << "not a client\n";
        return 1;
    }
    tablestore::Database& db = pc.db().TableDatabase1();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int reads = 0;
    while (std::chrono::steady_clock::now() < end) {
        try {
            if (const auto stored = LoadCase(db, 0)) {
                std::vector<std::int32_t> amounts;
                for (const auto& e : stored->history) amounts.push_back(e->borrowing);
                const std::string torn = Torn(stored->header.GYOSYA_NAME, stored->header.BIKO, amounts.size(), amounts);
                if (!torn.empty()) std::cout << torn << std::endl;
            }
            for (const CaseListRow& row : ListCases(db)) {
                if (row.seq != 0) continue;
                const int k = std::stoi(row.creditor.substr(1));
                if (row.entryCount != k % 20 + 1)
                    std::cout << "torn list " << row.creditor << " " << row.entryCount << std::endl;
            }
            ++reads;
        } catch (const tablestore::EngineError& e) {
            // A writer holding the folder longer than the lock timeout is
            // no torn read; anything else is reported.
            if (e.code() != tablestore::codes::SharingViolation) std::cout << "error " << e.code() << std::endl;
        }
    }
    std::cout << "reads " << reads << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "start") return Start(args[1], args[2], args[3]);
    if (args.size() == 4 && args[0] == "lock") return Lock(args[1], args[2], std::stoi(args[3]));
    if (args.size() == 5 && args[0] == "read") return Read(args[1], args[2], args[3], std::stoi(args[4]));
    std::cerr << "usage: storage_test_child start|lock|read ...\n";
    return 2;
}
