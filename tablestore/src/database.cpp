#include "korvalen/tablestore/database.h"

#include "folder_hold.h"
#include "korvalen/tablestore/errors.h"
#include "os_errors.h"
#include "session.h"
#include "table_creation.h"
#include "table_files.h"

namespace korvalen::tablestore {

namespace fs = std::filesystem;

FolderLock::FolderLock(std::unique_ptr<detail::FolderHold> hold) : hold_(std::move(hold)) {}
FolderLock::FolderLock(FolderLock&&) noexcept = default;
FolderLock& FolderLock::operator=(FolderLock&&) noexcept = default;
FolderLock::~FolderLock() = default;

Database::Database() = default;

Database::~Database() { disconnect(); }

void Database::setDirectory(const fs::path& folder) {
    if (folder == folder_) return;
    disconnect();
    session_.reset();
    folder_ = folder;
}

detail::Session& Database::session() {
    if (folder_.empty()) throw DataError("データベースフォルダが指定されていません。");
    if (!session_) session_ = std::make_shared<detail::Session>(folder_, timeout_);
    return *session_;
}

void Database::disconnect() noexcept {
    if (session_) session_->disconnect();
}

bool Database::connected() const { return session_ && session_->connected(); }

void Database::setLockTimeout(std::chrono::milliseconds timeout) {
    timeout_ = timeout;
    if (session_) session_->setTimeout(timeout);
}

void Database::startTransaction() { session().startTransaction(); }
void Database::commit() { session().commit(); }
void Database::rollback() {
    if (session_) session_->rollback();
}
bool Database::inTransaction() const { return session_ && session_->inTransaction(); }

bool Database::BeginRead() { return session().BeginRead(); }
void Database::EndRead() noexcept {
    if (session_) session_->EndRead();
}
void Database::RestartRead() { session().RestartRead(); }

fs::path Database::tableFile(std::string_view tableName, std::string_view extension) const {
    detail::CheckTableName(tableName);
    return detail::TableFile(folder_, tableName, extension);
}

bool Database::tableExists(std::string_view tableName) const {
    if (folder_.empty()) return false;
    const fs::path dat = tableFile(tableName, detail::kDataExt);
    std::error_code ec;
    const fs::file_status status = fs::status(dat, ec);
    // A folder this user may not look into hides whether the table is
    // there: that is the access error, never a missing table (which the
    // caller would create over it).
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw EngineError(detail::CodeForOsError(ec), std::string(tableName), ec.message(), detail::Utf8(dat));
    }
    return fs::exists(status);
}

bool Database::UnfinishedTable(std::string_view tableName) const {
    return !folder_.empty() && detail::CreationCutOff(tableFile(tableName, detail::kDataExt), timeout_);
}

void Database::deleteTable(std::string_view tableName) {
    detail::Session& s = session();
    const std::string name(tableName);
    s.release(name);
    if (s.inTransaction()) throw DataError("トランザクション中はテーブルを削除できません。");
    detail::CheckFolder(folder_);
    detail::ScopedWriterLock lock(s, name);
    const fs::path dat = tableFile(name, detail::kDataExt);
    // The .dat goes first: without it the table no longer exists, whatever
    // of the rest a failure leaves behind.
    detail::RemoveIfPresent(dat, name);
    detail::RemoveIfPresent(detail::JournalOf(dat), name);
    detail::RemoveIfPresent(tableFile(name, detail::kIndexExt), name);
    detail::RemoveIfPresent(tableFile(name, detail::kBlobExt), name);
}

void Database::renameTable(std::string_view from, std::string_view to) {
    detail::Session& s = session();
    const std::string source(from), target(to);
    detail::CheckTableName(target);
    detail::CheckFolder(folder_);
    const fs::path dat = tableFile(source, detail::kDataExt);
    std::error_code ec;
    if (fs::exists(tableFile(target, detail::kDataExt), ec)) throw EngineError(codes::TableExists, target);
    s.release(source);
    if (s.inTransaction()) throw DataError("トランザクション中はテーブル名を変更できません。");
    detail::ScopedWriterLock lock(s, source);
    if (!fs::exists(dat, ec)) throw EngineError(codes::NotFound, source, "missing: " + dat.string());
    if (fs::exists(tableFile(target, detail::kDataExt), ec)) throw EngineError(codes::TableExists, target);
    // A journal left by a crash belongs to the old name: settle it now,
    // after the rename it would no longer be found.
    if (fs::exists(detail::JournalOf(dat), ec)) detail::SettleTableFile(dat, s.timeout());
    for (std::string_view ext : {detail::kIndexExt, detail::kBlobExt}) {
        detail::RemoveIfPresent(tableFile(target, ext), target);
    }
    for (std::string_view ext : {detail::kDataExt, detail::kIndexExt, detail::kBlobExt}) {
        const fs::path old = tableFile(source, ext);
        if (!fs::exists(old, ec)) continue;
        fs::rename(old, tableFile(target, ext), ec);
        if (ec) throw EngineError(detail::CodeForOsError(ec), source, ec.message());
    }
}

void Database::deleteIndexFile(std::string_view tableName) {
    detail::Session& s = session();
    const std::string name(tableName);
    s.release(name);
    detail::CheckFolder(folder_);
    detail::RemoveIfPresent(tableFile(name, detail::kIndexExt), name);
}

TableCheck Database::checkTable(std::string_view tableName) { return session().check(std::string(tableName)); }

FolderLock Database::lockFolder() {
    if (inTransaction()) throw DataError("トランザクション中はフォルダを固定できません。");
    return FolderLock(std::make_unique<detail::FolderHold>(folder_, timeout_));
}

void Database::makeFolderClean() { lockFolder(); }

}  // namespace korvalen::tablestore
