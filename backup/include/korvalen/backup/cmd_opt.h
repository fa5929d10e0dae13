// Builds the command text for an archiver library, token by token. Each
// token is preceded by one blank, also an empty one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/backup/archiver_options.h"

namespace korvalen::backup {

class TCmdOpt {
public:
    using FileNameHook = std::function<std::string(const std::string&)>;

    const std::string& Text() const { return text_; }

    // Off: a named value and its switch share one pair of double quotes
    // ("-wvalue"). On: the switch stands alone and the quoted value follows.
    bool SeparateValues = false;
    // Converts file names before they are added; none by default.
    FileNameHook ConvertFileName;

    // Added unchanged.
    void AddToken(std::string_view token);
    // "-" name value, only when the value is 0 or more.
    void AddSwitch(std::string_view name, TSwitch value);
    // Skipped when the value is empty. A name that starts with a blank loses
    // it and gets no "-".
    void AddNamedText(std::string_view name, std::string_view value);
    // The value between double quotes.
    void AddText(std::string_view value);
    // Skipped when empty; the value ends in a separator.
    void AddFolder(std::string_view value);
    void AddNamedFolder(std::string_view name, std::string_view value);
    // An unnamed text, after ConvertFileName.
    void AddFileName(const std::string& name);
    // Writes the names, quoted, one per CR LF line, into a new file at path and
    // adds "@" and the path as an unnamed text.
    void AddResponseFile(const std::string& path, const std::vector<std::string>& names);

private:
    void Append(std::string_view token);
    std::string text_;
};

// The value in double quotes. A value holding a double quote, a line break or
// a NUL could not be read back as one name, so it is refused (EArchiver).
std::string QuoteValue(std::string_view value);

}  // namespace korvalen::backup
