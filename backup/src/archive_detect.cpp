#include "korvalen/backup/archive_detect.h"

#include <array>
#include <string>

#include "ascii_case.h"
#include "korvalen/archiver_api.h"
#include "korvalen/backup/archiver_libraries.h"
#include "korvalen/backup/native_path.h"

namespace korvalen::backup {

namespace {

std::string LowerExtension(std::string_view path) {
    const std::string name = NamePart(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return LowerAscii(name.substr(dot));
}

bool OpensAsArchive(TArchiverDll& library, const std::string& absolute) {
    const ArcHandle handle = library.OpenArchive(0, absolute, ARC_OPEN_PROBE);
    if (handle == 0) return false;
    library.CloseArchive(handle);
    return true;
}

// A library that cannot be loaded, or fails in any other way, rejects the file.
bool PassesTest(TArchiverLibraryKind kind, const std::string& absolute) {
    try {
        TArchiverDll& library = ArchiverLibraries::Obtain(kind);
        // The LHA library alone checks the whole archive before the probe.
        if (kind == TArchiverLibraryKind::Lha && !library.CheckArchive(absolute, ARC_CHECK_FULL_CRC)) return false;
        return OpensAsArchive(library, absolute);
    } catch (...) {
        return false;
    }
}

}  // namespace

TArchiverType ArchiverTypeByName(std::string_view path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".lzh") return atLha;
    if (extension == ".cab") return atCab;
    static constexpr std::array<std::string_view, 4> kZip{".jar", ".ear", ".war", ".zip"};
    for (const auto zip : kZip) {
        if (extension == zip) return atZip;
    }
    if (extension == ".exe") return atAutoDetect;
    return atNone;
}

TArchiverType ArchiverTypeByContent(std::string_view path) {
    const std::string absolute = AbsolutePath(path);
    const bool cab = PassesTest(TArchiverLibraryKind::Cab, absolute);
    const bool lha = PassesTest(TArchiverLibraryKind::Lha, absolute);
    if (lha) return atLha;
    if (cab) return atCab;
    return atNone;
}

TArchiverType ArchiverTypeOf(std::string_view path) {
    const TArchiverType byName = ArchiverTypeByName(path);
    return byName == atAutoDetect ? ArchiverTypeByContent(path) : byName;
}

}  // namespace korvalen::backup
