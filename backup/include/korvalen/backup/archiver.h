// The format objects: each turns a request into its library's command text
// and calls the library. TArchiver is their base; TLha32 and TCab32 are the
// two formats with a library behind them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "korvalen/archiver_api.h"
#include "korvalen/backup/archiver_options.h"

namespace korvalen::backup {

// One pack, unpack, delete, update or self-extractor request.
struct TArchiverCommand {
    ArcWindow window = 0;
    const TArchiverOptions* options = nullptr;  // never null when a command is built
    std::string archivePath;
    std::string folder;  // base folder (pack) or destination folder (unpack)
    std::vector<std::string> files;
    char* output = nullptr;  // none when outputSize is 0
    std::uint32_t outputSize = 0;
};

// Where UnpackToMemory puts one member.
struct TMemoryTarget {
    unsigned char* buffer = nullptr;
    std::uint32_t size = 0;
    std::int64_t* unixTime = nullptr;
    std::uint16_t* attributes = nullptr;
    std::uint32_t* written = nullptr;
};

class TArchiver {
public:
    TArchiver() = default;
    TArchiver(const TArchiver&) = delete;
    TArchiver& operator=(const TArchiver&) = delete;
    virtual ~TArchiver() = default;

    virtual void LoadDLL();
    virtual void FreeDLL();
    virtual ArcHandle OpenArchive(ArcWindow window, const std::string& archivePath, std::uint32_t mode);
    virtual int FindFirst(ArcHandle archive, const std::string& wildcard, ArcEntryInfo& info);
    virtual int FindNext(ArcHandle archive, ArcEntryInfo& info);
    virtual int CloseArchive(ArcHandle archive);
    virtual int Unpack(const TArchiverCommand& command) = 0;
    virtual int Pack(const TArchiverCommand& command);
    virtual int Delete(const TArchiverCommand& command);
    virtual int Update(const TArchiverCommand& command);
    virtual int MakeSfx(const TArchiverCommand& command);
    virtual int UnpackToMemory(const TArchiverCommand& command, const TMemoryTarget& target);
    virtual bool Check(const std::string& archivePath, int mode, int option);
    // Makes window the owner that the library reports progress to, through relay.
    virtual void SetOwnerWindow(ArcWindow window, ArcProgressFn relay);
    virtual void KillOwnerWindow();
    // Gets the library ready (loads it).
    virtual void Prepare();

    // The command text built last.
    const std::string& CommandLine() const { return commandLine_; }
    bool HasOwnerWindow() const { return ownerSet_; }
    ArcWindow OwnerWindow() const { return owner_; }

protected:
    void SetCommandLine(std::string text) { commandLine_ = std::move(text); }
    // The window a library call goes out with: the owner window while one is
    // set, because the library relays progress only for calls of that window.
    ArcWindow CommandWindow(ArcWindow requested) const { return ownerSet_ ? owner_ : requested; }

private:
    std::string commandLine_;
    ArcWindow owner_ = 0;
    bool ownerSet_ = false;
};

// A file time (100 ns units since 1601-01-01 UTC) from a DOS date and time in
// local time; 0 when they name no valid moment.
std::uint64_t DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime);

}  // namespace korvalen::backup
