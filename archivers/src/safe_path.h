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

}  // namespace korvalen::archivers
