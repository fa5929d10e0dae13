// The command texts of the two libraries:
//   LHA:  <letter> [-+] [-<switch><number> ...] "archive" ["folder/"] ["name" | @"response file" ...]
//   CAB:  -a|-x|-l|-t [-<switch> ...] "archive" ["folder/"] ["name" | @"response file" ...]
// Tokens are separated by blanks; double quotes group a token that holds
// blanks. A token after the archive that ends in a separator is the base
// folder (packing) or the destination (extracting).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvalen::archivers {

struct CommandLine {
    std::string command;                  // "u", "x", "l", "t" (LHA); "a", "x", "l", "t" (CAB)
    std::map<std::string, int> switches;  // name -> value
    std::string archive;
    std::string folder;              // empty or ending in a separator
    std::vector<std::string> names;  // response files already read

    int value(const std::string& name, int fallback) const {
        const auto it = switches.find(name);
        return it == switches.end() ? fallback : it->second;
    }
};

// Splits at blanks (space, tab, CR, LF) outside double quotes and drops the
// quotes. Throws ArcError(ARC_ERR_BAD_COMMAND) on an unclosed quote.
std::vector<std::string> tokenize(std::string_view text);

// Throw ArcError(ARC_ERR_BAD_COMMAND) with the reason for any text they
// cannot take, and ARC_ERR_FILE_OPEN for an unreadable response file.
CommandLine parseLhaCommand(std::string_view text);
CommandLine parseCabCommand(std::string_view text);
// ExtractMem's text: switches, archive and member name, no command letter.
CommandLine parseMemoryCommand(std::string_view text, bool lha);

}  // namespace korvalen::archivers
