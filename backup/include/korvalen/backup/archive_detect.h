// Which archive format a file is: by its name, or by asking the libraries.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvalen::backup {

// Only atLha and atCab have a format object.
enum TArchiverType : std::uint8_t {
    atLha,
    atZip,
    atCab,
    atArj,
    atTar,
    atTgz,
    atBZ2,
    atRar,
    atBga,
    atYz1,
    atGCA,
    atBel,
    at7z,
    atNone,
    atAutoDetect,
};

// By the extension (from the last "." of the name, any letter case):
// ".lzh" LHA, ".cab" CAB, ".jar"/".ear"/".war"/".zip" ZIP, anything else
// atNone. An ".exe" (a self-extracting archive, perhaps) gives atAutoDetect:
// only its content can tell.
TArchiverType ArchiverTypeByName(std::string_view path);

// Asks CAB32, then UNLHA32, whether they can open the file. LHA wins when
// both can; a library that is missing or fails counts as "no".
TArchiverType ArchiverTypeByContent(std::string_view path);

// By name, and by content where the name cannot tell.
TArchiverType ArchiverTypeOf(std::string_view path);

}  // namespace korvalen::backup
