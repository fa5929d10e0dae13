#ifndef KORVALEN_PLATFORM_PROGRAM_INFO_H
#define KORVALEN_PLATFORM_PROGRAM_INFO_H

#include <optional>
#include <string>
#include <string_view>

namespace korvalen::platform {

// The settings key shared by every version of the program.
inline constexpr std::string_view kVersionKey = "Software\\vex\\KorvalenVer";

// The program's own four-part version, e.g. "1.0.0.0".
std::string ProgramFileVersion();

// The text before the first "." ("1" for "1.0.1.2"); the whole text when it
// has no ".".
std::string MajorVersionOf(std::string_view version);

// "Software\vex\Korvalen_" + the major version of `version`.
std::string ProgramKeyFor(std::string_view version);
// The key of this program: ProgramKeyFor(ProgramFileVersion()).
std::string ProgramKey();

// The folder of the running program file, with a trailing separator, or
// the folder set by OverrideProgramFolder.
std::string ProgramFolder();
// Makes ProgramFolder report `folder` (given a trailing separator) until
// reset with nullopt; tests use it to run from a temporary folder.
void OverrideProgramFolder(std::optional<std::string> folder);

}  // namespace korvalen::platform

#endif
