#include "korvalen/storage/build_lock.h"

#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "korvalen/platform/errors.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/paths.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::storage {

namespace {
constexpr std::string_view kSection = "CONST";
constexpr std::string_view kKey = "DBCreate";
}  // namespace

BuildLock::BuildLock(std::string databaseFolder, std::string computerName)
    : file_(platform::WithTrailingSeparator(std::move(databaseFolder)) + std::string(kBuildLockFile)),
      computerName_(std::move(computerName)) {}

BuildLock::~BuildLock() { Release(); }

std::optional<std::string> BuildLock::Holder() const {
    if (!platform::FileExists(file_)) return std::nullopt;
    return platform::ReadProfileString(file_, kSection, kKey);
}

bool BuildLock::Acquire(bool take, const Wait& wait) {
    // The file itself is the lock: one that names nobody may be a lock
    // another PC has just created and not yet written its name into.
    std::optional<std::string> holder = Holder();
    if (holder && *holder == computerName_) {
        platform::RemoveFile(file_);
        holder.reset();
    }
    int waits = 0;
    for (;;) {
        while (holder) {
            if (waits == kMostWaits) return false;
            if (wait) {
                wait(kWaitStep);
            } else {
                std::this_thread::sleep_for(kWaitStep);
            }
            ++waits;
            holder = Holder();
        }
        // Clients wait for a build to finish but never build themselves.
        if (!take) return true;
        if (CreateLockFile()) {
            held_ = true;
            return true;
        }
        // Another PC took it between our look and our creation.
        holder = Holder();
    }
}

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

bool BuildLock::CreateLockFile() const {
    namespace fs = std::filesystem;
    const std::string text = platform::NewProfileText(kSection, kKey, computerName_);
    // The file comes into being with the name already in it: written under
    // a name of this PC's own, then linked to the lock's name, which fails
    // when the lock is there. A start killed at any moment so never leaves
    // a lock that names nobody, which every PC would wait a minute for. (A
    // name of this PC's own: a left-over one is simply written again.)
    const fs::path lock = PathOf(file_);
    const fs::path mine = PathOf(file_ + "." + computerName_ + "~");
    {
        errno = 0;
        std::ofstream out(mine, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out && (errno == ENOSPC || errno == EDQUOT)) {
            std::error_code ignored;
            fs::remove(mine, ignored);
            throw tablestore::EngineError(tablestore::codes::DiskFull, {}, "cannot write the build lock", file_);
        }
        if (out) {
            std::error_code ec;
            fs::create_hard_link(mine, lock, ec);
            std::error_code ignored;
            fs::remove(mine, ignored);
            if (!ec) return true;
            if (ec == std::errc::file_exists) return false;
            // A file system without hard links: made in place below.
        }
    }
    try {
        return platform::CreateFileExclusive(file_, text);
    } catch (const platform::PlatformError&) {
        // A folder this user may not write to is the access error of the
        // database folder, as the table engine would report it.
        const QFileInfo folder(QString::fromStdString(std::filesystem::path(file_).parent_path().string()));
        if (folder.isDir() && !folder.isWritable()) {
            throw tablestore::EngineError(tablestore::codes::AccessDenied, {}, "cannot write the build lock", file_);
        }
        throw;
    }
}

void BuildLock::Release() noexcept {
    if (!held_) return;
    held_ = false;
    platform::RemoveFile(file_);
}

}  // namespace korvalen::storage
