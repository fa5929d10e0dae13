#include "anchor.h"

#include <sqlite3.h>

#include <cerrno>
#include <fstream>
#include <random>

#include "korvalen/tablestore/errors.h"
#include "os_errors.h"
#include "session.h"
#include "table_files.h"

namespace korvalen::tablestore::detail {

namespace fs = std::filesystem;

namespace {

// A fresh look at the file as it is now.
bool StillDamaged(const fs::path& anchor) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(Utf8(anchor).c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_EXRESCODE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA main.schema_version", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    return AnchorDamaged(rc);
}

}  // namespace

fs::path AnchorFile(const fs::path& folder) { return folder / std::string(kAnchorName); }

bool AnchorDamaged(int rc) { return (rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT; }

void ReplaceDamagedAnchor(const fs::path& anchor, const std::string& detail) {
    const std::string where = Utf8(anchor);
    if (StillDamaged(anchor)) {
        // An empty file under a temporary name, renamed over the damaged
        // one: no process ever opens half of it.
        std::random_device random;
        fs::path temp = anchor;
        temp += ".~" + std::to_string(random());
        std::error_code ec;
        {
            errno = 0;
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out) {
                const int reason = errno ? errno : EACCES;
                throw EngineError(CodeForOsError(std::error_code(reason, std::generic_category())), {},
                                  "cannot make the control file again: " + detail, where);
            }
        }
        fs::rename(temp, anchor, ec);
        if (ec) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw EngineError(CodeForOsError(ec), {}, "cannot make the control file again: " + ec.message(), where);
        }
        SyncFolder(anchor.parent_path());
    }
    throw EngineError(codes::HeaderCorrupt, {}, "the control file was no database (" + detail + ") and is made again",
                      where);
}

}  // namespace korvalen::tablestore::detail
