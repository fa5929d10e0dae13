#include "korvalen/backup/library_archiver.h"

#include "korvalen/backup/native_path.h"

namespace korvalen::backup {

void TLibraryArchiver::LoadDLL() { Library().Load(); }

void TLibraryArchiver::FreeDLL() { ArchiverLibraries::Free(kind_); }

ArcHandle TLibraryArchiver::OpenArchive(ArcWindow window, const std::string& archivePath, std::uint32_t mode) {
    return Library().OpenArchive(window, AbsolutePath(archivePath), mode);
}

int TLibraryArchiver::FindFirst(ArcHandle archive, const std::string& wildcard, ArcEntryInfo& info) {
    info = ArcEntryInfo{};
    const int result = Library().FindFirst(archive, wildcard, &info.record);
    if (result == 0) FillEntryInfo(archive, info);
    return result;
}

int TLibraryArchiver::FindNext(ArcHandle archive, ArcEntryInfo& info) {
    info = ArcEntryInfo{};
    const int result = Library().FindNext(archive, &info.record);
    if (result == 0) FillEntryInfo(archive, info);
    return result;
}

void TLibraryArchiver::FillEntryInfo(ArcHandle archive, ArcEntryInfo& info) {
    TArchiverDll& library = Library();
    // A library without the 64-bit entries still answers through its record.
    const std::uint64_t recordTime = DosDateTimeToFileTime(info.record.dosDate, info.record.dosTime);
    std::uint64_t value = 0;
    info.writeTime = library.GetWriteTimeEx(archive, value) ? value : recordTime;
    info.accessTime = library.GetAccessTimeEx(archive, value) ? value : recordTime;
    info.createTime = library.GetCreateTimeEx(archive, value) ? value : recordTime;
    info.originalSize64 = library.GetOriginalSizeEx(archive, value) ? value : info.record.originalSize;
    info.compressedSize64 = library.GetCompressedSizeEx(archive, value) ? value : info.record.compressedSize;
}

int TLibraryArchiver::CloseArchive(ArcHandle archive) { return Library().CloseArchive(archive); }

int TLibraryArchiver::UnpackToMemory(const TArchiverCommand& request, const TMemoryTarget& target) {
    std::string command = BuildCommand("", request, std::nullopt);
    SetCommandLine(command);
    return Library().ExtractMem(CommandWindow(request.window), command, target.buffer, target.size, target.unixTime,
                                target.attributes, target.written);
}

bool TLibraryArchiver::Check(const std::string& archivePath, int mode, int option) {
    return Library().CheckArchive(archivePath, mode + option);
}

void TLibraryArchiver::SetOwnerWindow(ArcWindow window, ArcProgressFn relay) {
    Library().SetOwnerWindowEx(window, relay);
    TArchiver::SetOwnerWindow(window, relay);
}

void TLibraryArchiver::KillOwnerWindow() {
    const ArcWindow window = OwnerWindow();
    TArchiver::KillOwnerWindow();
    Library().KillOwnerWindowEx(window);
}

int TLibraryArchiver::Run(std::string_view command, const TArchiverCommand& request,
                          std::optional<TResFileUse> listUse) {
    SetCommandLine(BuildCommand(command, request, listUse));
    return Library().Command(CommandWindow(request.window), CommandLine(),
                             request.outputSize > 0 ? request.output : nullptr, request.outputSize);
}

void AddCommandTail(TCmdOpt& cmd, const TArchiverCommand& request, std::optional<TResFileUse> listUse) {
    const TArchiverOptions& options = *request.options;
    cmd.AddToken(options.UserOptions);
    cmd.AddText(request.archivePath);
    cmd.AddFolder(request.folder);
    if (listUse && options.ResFileUsage.Contains(*listUse) && !options.ResFileName.empty()) {
        cmd.AddResponseFile(options.ResFileName, request.files);
    } else {
        for (const auto& file : request.files) cmd.AddFileName(file);
    }
    cmd.AddToken(options.UserFileList);
}

}  // namespace korvalen::backup
