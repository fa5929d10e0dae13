#include "korvalen/backup/archiver_libraries.h"

#include <array>
#include <memory>

#include "ascii_case.h"
#include "korvalen/backup/native_path.h"
#include "korvalen/platform/file_ops.h"
#include "korvalen/platform/program_info.h"

namespace korvalen::backup {

namespace {

struct Registry {
    std::array<std::unique_ptr<TArchiverDll>, 2> objects;
    std::optional<std::string> searchFolder;
};

// Everything runs on the user-interface thread, so the registry needs no lock.
Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::size_t Slot(TArchiverLibraryKind kind) { return kind == TArchiverLibraryKind::Lha ? 0 : 1; }

}  // namespace

TArchiverLibraryName ArchiverLibraryName(TArchiverLibraryKind kind) {
    if (kind == TArchiverLibraryKind::Lha) return {"LHA 形式書庫", "UNLHA32.DLL", "Unlha"};
    return {"CAB 形式書庫", "CAB32.DLL", "Cab"};
}

std::string PlatformLibraryFileName(std::string_view libraryName) {
#ifdef _WIN32
    return std::string(libraryName);
#else
    std::string base = LowerAscii(std::string(libraryName));
    const auto dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
#ifdef __APPLE__
    return "lib" + base + ".dylib";
#else
    return "lib" + base + ".so";
#endif
#endif
}

std::vector<std::string> LibraryCandidates(std::string_view libraryName) {
    const std::string file = PlatformLibraryFileName(libraryName);
    const auto& folder = TheRegistry().searchFolder;
    if (folder) return {JoinPath(*folder, file)};
    std::vector<std::string> candidates;
    const std::string besideProgram = platform::ProgramFolder();
    if (!besideProgram.empty()) {
        const std::string path = JoinPath(besideProgram, file);
        if (platform::FileExists(path)) candidates.push_back(path);
    }
    candidates.push_back(file);
    return candidates;
}

TArchiverDll& ArchiverLibraries::Obtain(TArchiverLibraryKind kind) {
    auto& object = TheRegistry().objects[Slot(kind)];
    if (object == nullptr) {
        const auto name = ArchiverLibraryName(kind);
        object = std::make_unique<TArchiverDll>(std::string(name.description), std::string(name.fileName),
                                                std::string(name.prefix));
    }
    return *object;
}

void ArchiverLibraries::Free(TArchiverLibraryKind kind) { TheRegistry().objects[Slot(kind)].reset(); }

void ArchiverLibraries::SetSearchFolder(std::optional<std::string> folder) {
    TheRegistry().searchFolder = std::move(folder);
}

const std::optional<std::string>& ArchiverLibraries::SearchFolder() { return TheRegistry().searchFolder; }

void ArchiverLibraries::Reset() {
    auto& registry = TheRegistry();
    for (auto& object : registry.objects) object.reset();
    registry.searchFolder.reset();
}

}  // namespace korvalen::backup
