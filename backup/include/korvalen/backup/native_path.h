// Path texts as the bridge hands them to the archiver libraries: UTF-8, with
// the platform's own separator.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korvalen::backup {

// True for a character that ends the folder part of a path ("\", "/" and the
// drive colon on Windows; only "/" elsewhere, where the others are legal in names).
bool IsNameDelimiter(char c);

// The folder part of a path, separator included ("" when there is none).
std::string FolderPart(std::string_view path);
// The part after the folder part.
std::string NamePart(std::string_view path);

// The folder joined with a name; an empty folder gives the bare name.
std::string JoinPath(std::string_view folder, std::string_view name);

// The absolute, cleaned form of a path, against the process's current folder.
std::string AbsolutePath(std::string_view path);

QString ToQString(std::string_view text);
std::string FromQString(const QString& text);

}  // namespace korvalen::backup
