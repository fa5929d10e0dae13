// The part that TLha32 and TCab32 share: a format object bound to one of the
// process-wide library objects, forwarding the archive entries to it.
#pragma once

#include <optional>

#include "korvalen/backup/archiver.h"
#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/backup/cmd_opt.h"

namespace korvalen::backup {

class TLibraryArchiver : public TArchiver {
public:
    // Creates the format's library object on first need and loads it.
    void LoadDLL() override;
    // Drops the format's library object (its module stays loaded).
    void FreeDLL() override;
    ArcHandle OpenArchive(ArcWindow window, const std::string& archivePath, std::uint32_t mode) override;
    int FindFirst(ArcHandle archive, const std::string& wildcard, ArcEntryInfo& info) override;
    int FindNext(ArcHandle archive, ArcEntryInfo& info) override;
    int CloseArchive(ArcHandle archive) override;
    int UnpackToMemory(const TArchiverCommand& command, const TMemoryTarget& target) override;
    bool Check(const std::string& archivePath, int mode, int option) override;
    void SetOwnerWindow(ArcWindow window, ArcProgressFn relay) override;
    void KillOwnerWindow() override;

    TArchiverLibraryKind LibraryKind() const { return kind_; }

protected:
    explicit TLibraryArchiver(TArchiverLibraryKind kind) : kind_(kind) {}

    TArchiverDll& Library() const { return ArchiverLibraries::Obtain(kind_); }
    // Builds the command text of one operation; listUse names the operation's
    // member of ResFileUsage (none for operations without one).
    virtual std::string BuildCommand(std::string_view command, const TArchiverCommand& request,
                                     std::optional<TResFileUse> listUse) = 0;
    // Builds the command, keeps it as the last command and sends it to the main entry.
    int Run(std::string_view command, const TArchiverCommand& request, std::optional<TResFileUse> listUse);

private:
    void FillEntryInfo(ArcHandle archive, ArcEntryInfo& info);
    TArchiverLibraryKind kind_;
};

// The common end of every command text: UserOptions, the archive path, the
// folder, the file list (or its response file) and UserFileList.
void AddCommandTail(TCmdOpt& cmd, const TArchiverCommand& request, std::optional<TResFileUse> listUse);

}  // namespace korvalen::backup
