// Binding of an archiver library: loaded by file name at run time, each entry
// looked up by name on its first use and kept.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "korvalen/archiver_api.h"

class QLibrary;

namespace korvalen::backup {

// The entry pointers, in table order.
enum class TArchiverEntry : std::uint8_t {
    Command,
    OpenArchive,
    CloseArchive,
    FindFirst,
    FindNext,
    ExtractMem,
    CheckArchive,
    SetOwnerWindowEx,
    KillOwnerWindowEx,
    GetWriteTimeEx,
    GetCreateTimeEx,
    GetAccessTimeEx,
    GetOriginalSizeEx,
    GetCompressedSizeEx,
    GetArchiveType,
};
inline constexpr std::size_t kArchiverEntryCount = 15;

// The suffix of an entry's name ("" for the main command entry).
const char* ArchiverEntrySuffix(TArchiverEntry entry);

// Calls into one archiver library. A missing entry raises EEntryNotFound,
// except the Get...Ex entries, which answer false so that the caller falls
// back to the entry record. The main command, OpenArchive, CloseArchive,
// FindFirst, CheckArchive and GetArchiveType load the library first; the
// others only bind.
class TCustomArchiverDll {
public:
    TCustomArchiverDll() = default;
    TCustomArchiverDll(const TCustomArchiverDll&) = delete;
    TCustomArchiverDll& operator=(const TCustomArchiverDll&) = delete;
    virtual ~TCustomArchiverDll() = default;

    virtual void Load() = 0;
    // Forgets every bound entry.
    virtual void Unload();

    virtual int Command(ArcWindow window, const std::string& command, char* output, std::uint32_t outputSize);
    virtual bool CheckArchive(const std::string& archivePath, int mode);
    virtual int CloseArchive(ArcHandle archive);
    virtual int ExtractMem(ArcWindow window, const std::string& command, unsigned char* buffer, std::uint32_t size,
                           std::int64_t* unixTime, std::uint16_t* attributes, std::uint32_t* written);
    virtual int FindFirst(ArcHandle archive, const std::string& wildcard, ArcEntryRecord* entry);
    virtual int FindNext(ArcHandle archive, ArcEntryRecord* entry);
    virtual bool KillOwnerWindowEx(ArcWindow window);
    virtual ArcHandle OpenArchive(ArcWindow window, const std::string& archivePath, std::uint32_t mode);
    virtual bool SetOwnerWindowEx(ArcWindow window, ArcProgressFn callback);
    virtual bool GetWriteTimeEx(ArcHandle archive, std::uint64_t& fileTime);
    virtual bool GetCreateTimeEx(ArcHandle archive, std::uint64_t& fileTime);
    virtual bool GetAccessTimeEx(ArcHandle archive, std::uint64_t& fileTime);
    virtual bool GetOriginalSizeEx(ArcHandle archive, std::uint64_t& size);
    virtual bool GetCompressedSizeEx(ArcHandle archive, std::uint64_t& size);
    virtual int GetArchiveType(const std::string& archivePath);

protected:
    using EntryPointer = void (*)();
    // The entry's address in the loaded module, or null.
    virtual EntryPointer LookUp(TArchiverEntry entry) = 0;
    // The entry's full name (prefix + suffix) and the module's path, for messages.
    virtual std::string EntryName(TArchiverEntry entry) const = 0;
    virtual std::string ModulePath() const = 0;

private:
    EntryPointer Bind(TArchiverEntry entry);     // raises when missing
    EntryPointer TryBind(TArchiverEntry entry);  // null when missing
    bool TimeEx(TArchiverEntry entry, ArcHandle archive, std::uint64_t& value);
    bool SizeEx(TArchiverEntry entry, ArcHandle archive, std::uint64_t& value);

    std::array<EntryPointer, kArchiverEntryCount> entries_{};
};

// One archiver library on disk: its description and file name (as the user
// knows them, e.g. "LHA 形式書庫" and "UNLHA32.DLL") and the entry prefix.
class TArchiverDll : public TCustomArchiverDll {
public:
    TArchiverDll(std::string description, std::string fileName, std::string prefix);
    ~TArchiverDll() override;

    // Loads the module if none is loaded yet; ENoArchiverDLL when it cannot be.
    // A failed load leaves nothing behind, so the next call tries again.
    void Load() override;
    bool Loaded() const;

    const std::string& Description() const { return description_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& Prefix() const { return prefix_; }
    std::string ModulePath() const override;

protected:
    EntryPointer LookUp(TArchiverEntry entry) override;
    std::string EntryName(TArchiverEntry entry) const override;

private:
    std::string description_;
    std::string fileName_;
    std::string prefix_;
    std::unique_ptr<QLibrary> module_;
    std::string modulePath_;  // cut to 256 characters, as messages show it
};

}  // namespace korvalen::backup
