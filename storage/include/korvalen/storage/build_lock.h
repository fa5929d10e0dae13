// The build lock "DBCreate.ini" of a database folder: while one PC creates
// or upgrades the tables, the others wait. The file names the PC that holds
// it ([CONST] DBCreate = its computer name), as every PC of the folder
// expects; it is taken by creating it exclusively, in one step of the file
// system, so two PCs starting at the same moment can never both build.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvalen::storage {

inline constexpr std::string_view kBuildLockFile = "DBCreate.ini";

class BuildLock {
public:
    using Wait = std::function<void(std::chrono::milliseconds)>;
    static constexpr std::chrono::milliseconds kWaitStep{3000};
    // A lock still held after this many waits (about a minute) is given up on.
    static constexpr int kMostWaits = 21;

    BuildLock(std::string databaseFolder, std::string computerName);
    // Releases a lock this object took.
    ~BuildLock();
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

    // Waits while another PC holds the lock (a lock naming this PC is left
    // from an earlier run and removed at once), then takes it when `take`.
    // False when the lock was still held after the last wait. Throws
    // tablestore::EngineError AccessDenied (11013) when the folder may not
    // be written to, platform::PlatformError when the file cannot be made
    // for another reason. A `wait` given
    // stands in for the real sleep, so tests need not sit out a minute.
    bool Acquire(bool take, const Wait& wait = {});
    // Deletes the file if this object took it.
    void Release() noexcept;
    bool Held() const { return held_; }

    const std::string& File() const { return file_; }
    // The PC named in the lock file; "" when the file names nobody, nothing
    // when there is no lock file.
    std::optional<std::string> Holder() const;

private:
    bool CreateLockFile() const;

    std::string file_;
    std::string computerName_;
    bool held_ = false;
};

}  // namespace korvalen::storage
