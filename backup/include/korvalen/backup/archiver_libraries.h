// The archiver library objects, one per format for the whole run, and where
// their files are looked for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/backup/archiver_dll.h"

namespace korvalen::backup {

enum class TArchiverLibraryKind { Lha, Cab };

struct TArchiverLibraryName {
    std::string_view description;  // shown in messages
    std::string_view fileName;     // the name the user knows
    std::string_view prefix;       // of the entry names
};
TArchiverLibraryName ArchiverLibraryName(TArchiverLibraryKind kind);

// The file that stands for a library name on this platform:
// "UNLHA32.DLL" is "libunlha32.so" on Linux and unchanged on Windows.
std::string PlatformLibraryFileName(std::string_view libraryName);

// Where a library is looked for, in order: the search folder when one is set
// (and nowhere else); otherwise beside the program, then by the bare file
// name through the loader's default path.
std::vector<std::string> LibraryCandidates(std::string_view libraryName);

// The one process-wide registry of library objects. Objects are created on
// first need and kept; their modules are never unloaded.
class ArchiverLibraries {
public:
    static TArchiverDll& Obtain(TArchiverLibraryKind kind);
    // Drops the object of a format; the next Obtain creates a new one.
    static void Free(TArchiverLibraryKind kind);

    // Looks for the libraries in this folder only (std::nullopt: the usual places).
    static void SetSearchFolder(std::optional<std::string> folder);
    static const std::optional<std::string>& SearchFolder();

    // Drops every object and the search folder (for tests).
    static void Reset();
};

}  // namespace korvalen::backup
