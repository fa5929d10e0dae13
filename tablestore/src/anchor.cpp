#include "anchor.h"

#include <sqlite3.h>

#include "korvalen/tablestore/errors.h"
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
    if (StillDamaged(anchor)) {
        // An empty file under a temporary name, renamed over the damaged
        // one: no process ever opens half of it.
        WriteStamp(anchor, {}, {});
        SyncFolder(anchor.parent_path());
    }
    throw EngineError(codes::HeaderCorrupt, {}, "the control file was no database (" + detail + ") and is made again",
                      Utf8(anchor));
}

}  // namespace korvalen::tablestore::detail
