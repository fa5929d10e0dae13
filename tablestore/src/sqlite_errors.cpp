#include "sqlite_errors.h"

#include <sqlite3.h>

#include "diagnosis.h"
#include "korvalen/tablestore/errors.h"
#include "os_errors.h"

namespace korvalen::tablestore::detail {
namespace {

// How long the diagnosis of a damaged table may wait for a lock; it only
// refines the code of an error that is being raised anyway.
constexpr std::chrono::milliseconds kDiagnosisWait{500};

}  // namespace

std::uint16_t CodeForSqlite(int rc, std::string_view message, int systemErrno) {
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return codes::SharingViolation;
        case SQLITE_NOMEM: return codes::OutOfMemory;
        case SQLITE_FULL: return codes::DiskFull;
        case SQLITE_NOTADB: return codes::HeaderCorrupt;
        case SQLITE_CORRUPT: return codes::TableDamaged;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH: return codes::AccessDenied;
        case SQLITE_CONSTRAINT:
            return rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY ? codes::DuplicateKey
                                                                                        : codes::SqlError;
        case SQLITE_CANTOPEN: return systemErrno != 0 ? CodeForSystemErrno(systemErrno) : codes::NotFound;
        case SQLITE_IOERR:
            if (rc == SQLITE_IOERR_NOMEM) return codes::OutOfMemory;
            // A page whose checksum failed, or one cut off by a truncation.
            if (rc == SQLITE_IOERR_DATA || rc == SQLITE_IOERR_SHORT_READ) return codes::TableDamaged;
            return systemErrno != 0 ? CodeForSystemErrno(systemErrno) : codes::OsError;
        case SQLITE_ERROR:
            if (message.starts_with("no such table")) return codes::TableNotFound;
            if (message.starts_with("no such column")) return codes::RecordCorrupt;
            return codes::SqlError;
        default: return codes::SqlError;
    }
}

void ThrowSqlite(sqlite3* db, int rc, const std::string& tableName, const std::filesystem::path* dataFile) {
    const std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    std::uint16_t code = CodeForSqlite(rc, detail, db ? sqlite3_system_errno(db) : 0);
    if (code == codes::TableDamaged && dataFile) {
        TableCheck found = Diagnose(*dataFile, kDiagnosisWait);
        if (found.code != 0 && found.code != codes::SharingViolation) code = found.code;
    }
    // A file that is not there or may not be read: the message says which.
    std::string path;
    if (dataFile && (code == codes::AccessDenied || code == codes::NotFound || code == codes::PathNotFound)) {
        const auto u = dataFile->u8string();
        path.assign(u.begin(), u.end());
    }
    throw EngineError(code, tableName, detail, path);
}

}  // namespace korvalen::tablestore::detail
