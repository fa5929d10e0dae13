#include "folder_hold.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "anchor.h"
#include "korvalen/tablestore/errors.h"
#include "os_errors.h"
#include "page_checksum_vfs.h"
#include "session.h"
#include "sqlite_errors.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

namespace {

std::string TableNameOf(const fs::path& dataFile) {
    auto stem = dataFile.stem().u8string();
    return std::string(stem.begin(), stem.end());
}

// A super-journal lists the journals of one commit over several tables,
// each name ended by a zero byte. Once none of them exists it is a left-over.
bool SuperJournalOrphaned(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        std::string name = text.substr(start, end - start);
        std::error_code ec;
        if (!name.empty() && fs::exists(fs::path(std::u8string(name.begin(), name.end())), ec)) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

void SettleTableFile(const fs::path& dataFile, std::chrono::milliseconds timeout) {
    const std::string table = TableNameOf(dataFile);
    Connection c;
    int rc = OpenTableFile(c, dataFile, timeout);
    sqlite3* db = c.db;
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, table, nullptr);
    // Taking the lock reads the file, which rolls a hot journal back first.
    rc = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, table, &dataFile);
    // With the exclusive lock held, a journal still there is not live.
    try {
        RemoveIfPresent(JournalOf(dataFile), table);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

namespace {

struct LeftOvers {
    std::vector<fs::path> tablesWithJournal;
    std::vector<fs::path> superJournals;
};

LeftOvers Look(const fs::path& folder) {
    LeftOvers found;
    std::error_code ec;
    const std::string superPrefix = std::string(kAnchorName) + "-mj";
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const auto u = entry.path().filename().u8string();
        const std::string name(u.begin(), u.end());
        if (name.ends_with(kDataExt) && fs::exists(JournalOf(entry.path()), ec)) {
            found.tablesWithJournal.push_back(entry.path());
        }
        if (name.rfind(superPrefix, 0) == 0) found.superJournals.push_back(entry.path());
    }
    if (ec) throw EngineError(CodeForOsError(ec), {}, ec.message(), Utf8(folder));
    return found;
}

}  // namespace

void SettleFolder(const fs::path& folder, std::chrono::milliseconds timeout) {
    // The tables first: rolled back without its super-journal, a table's
    // journal would count as committed.
    const LeftOvers found = Look(folder);
    for (const fs::path& dat : found.tablesWithJournal) SettleTableFile(dat, timeout);
    for (const fs::path& super : found.superJournals) {
        if (SuperJournalOrphaned(super)) RemoveIfPresent(super, {});
    }
}

bool HasSuperJournal(const fs::path& folder) noexcept {
    std::error_code ec;
    const std::string superPrefix = std::string(kAnchorName) + "-mj";
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const auto u = entry.path().filename().u8string();
        if (std::string(u.begin(), u.end()).rfind(superPrefix, 0) == 0) return true;
    }
    return false;
}

FolderHold::FolderHold(const fs::path& folder, std::chrono::milliseconds timeout) : lock_(AnchorFile(folder), timeout) {
    CheckFolder(folder);
    lock_.acquire({});
    SettleFolder(folder, timeout);
}

}  // namespace korvalen::tablestore::detail
