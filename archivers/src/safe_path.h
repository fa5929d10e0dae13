// Stored names from an archive become paths only through here.
#pragma once

#include <string>
#include <vector>

namespace korvalen::archivers {

// The components of a stored name ("/" separated, "." and empty parts
// dropped). Throws ArcError(ARC_ERR_UNSAFE_PATH) for names that could land
// outside the destination: "..", absolute paths, drive letters.
std::vector<std::string> safeComponents(const std::string& storedName);

// Case-insensitive (ASCII) match with "*" and "?".
bool wildcardMatch(const std::string& pattern, const std::string& text);
bool hasWildcard(const std::string& s);
// Lower-cases the ASCII letters and leaves every other byte alone, so the
// lead and trail bytes of UTF-8 and Shift-JIS names keep their meaning.
std::string lowerAscii(std::string s);
// Whether a stored name is selected by any of the patterns (all when there
// are none). A pattern without "/" may also match the name's last part.
bool nameSelected(const std::vector<std::string>& patterns, const std::string& name);

}  // namespace korvalen::archivers
