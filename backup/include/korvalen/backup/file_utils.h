// The folder and file operations backup and restore are built on. They work
// on the files directly inside one folder (only DeleteTree goes down into
// subfolders), report failures through their result or not at all, and
// leave the process's current folder alone.
//
// Paths are UTF-8 with the platform's separator; folder paths end in it.
// Attributes follow the rules of the system the program came from: a file
// without any write permission bit is read-only, and a read-only file is
// neither overwritten nor deleted by these operations, whoever runs them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvalen::backup {

// Called after every entry a loop has handled, with the entry's name, so the
// caller's window can repaint and its progress move (the dialog) or the
// caller can report (the command-line tool).
using FileStepFn = std::function<void(const std::string& name)>;

// AddBackslash modes.
inline constexpr int kLeadingSeparator = 0;
inline constexpr int kTrailingSeparator = 1;
inline constexpr int kBothSeparators = 2;

// Adds the separator in front (modes 0 and 2) and at the end (modes 1 and 2)
// where it is missing; an empty path stays empty. The test is on whole
// characters, never on a byte inside one.
std::string AddBackslash(std::string_view path, int mode = kTrailingSeparator);

// The folder above `folder` as the file system resolves "..", with a
// separator; the root folder is its own parent. platform::PlatformError
// when the step up is refused (the folder cannot be reached or entered).
std::string ParentFolder(std::string_view folder);

// The part of a file name from its last "." on ("" without a ".").
std::string_view FileExtension(std::string_view name);

// Copies every plain file directly inside `source` onto `destination`
// (overwriting files of the same name, permissions and modification time
// along) except files whose extension is exactly ".NET". Each copy is on the
// disk before the next begins. Stops at the first file that cannot be
// copied (a read-only file or a folder in the way, a full disk) and returns
// false; the files copied before it stay. An empty source gives true.
bool CopyFolderFiles(std::string_view source, std::string_view destination, const FileStepFn& step = {});

// CopyFolderFiles that also leaves out files whose extension is exactly ".LZH".
bool CopyBackupFiles(std::string_view source, std::string_view destination, const FileStepFn& step = {});

// The total size of the plain files directly inside `folder`.
std::uint64_t FolderSize(std::string_view folder, const FileStepFn& step = {});

// Whether a file has no write permission bit at all.
bool IsReadOnly(std::string_view path);

// Clears the read-only attribute of every plain file directly inside
// `folder` (gives the owner write permission); other bits stay.
void ClearReadOnly(std::string_view folder, const FileStepFn& step = {});

// Deletes `folder` with everything in it. A file that cannot be deleted (a
// read-only one) stays, and so does every folder above it. A link is
// removed itself, never followed.
void DeleteTree(std::string_view folder, const FileStepFn& step = {});

// Deletes one of the procedure's own scratch folders (the safety copy, a
// replaced backup) whole: the read-only attributes its files took over from
// the database are cleared first at every level. DeleteTree would leave such
// a file, and then no later copy could overwrite it.
void DeleteScratchTree(std::string_view folder, const FileStepFn& step = {});

// Deletes every plain file directly inside `folder`; subfolders and
// read-only files stay.
void DeleteFolderFiles(std::string_view folder, const FileStepFn& step = {});

// ParseYmd8 results.
enum class Ymd8Code : int { DateSet = 0, WrongLength = 1, NotANumber = 2, NotADate = 3 };

// "yyyymmdd" into a day number (platform::DayNumberOf); `date` is changed
// only when the code is DateSet.
Ymd8Code ParseYmd8(std::string_view text, std::int32_t& date);

// The text with every occurrence of `part` removed, also those that a
// removal brings together; an empty part changes nothing.
std::string RemoveAll(std::string text, std::string_view part);

// Free bytes the volume of `folder` offers; 0 when it cannot be asked.
std::uint64_t FreeDiskBytes(std::string_view folder);

}  // namespace korvalen::backup
