// The three files of a table in the folder, and the two small ones we write
// ourselves: the .idx stamp and the .blb file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvalen::tablestore::detail {

inline constexpr std::string_view kDataExt = ".dat";
inline constexpr std::string_view kIndexExt = ".idx";
inline constexpr std::string_view kBlobExt = ".blb";
inline constexpr std::string_view kJournalSuffix = "-journal";
// A table file being built, before it takes the table's name.
inline constexpr std::string_view kBuildingSuffix = "~new";
// The folder's anchor: the main database of every connection (so that a
// commit over several tables is atomic) and the folder's write lock.
inline constexpr std::string_view kAnchorName = "TableStore.tx";

struct Layout;

// DataError for a name that cannot be a table of the folder.
void CheckTableName(std::string_view name);
std::filesystem::path TableFile(const std::filesystem::path& folder, std::string_view name, std::string_view ext);
std::filesystem::path JournalOf(const std::filesystem::path& dataFile);

// What the .idx holds for a layout: the index it stands for, nothing of the
// table's name.
std::string IndexStamp(const Layout& layout);
// More than any stamp can hold: a key of SQLite's at most 2,000 columns with
// names of at most 64 characters, and the stamp's own lines.
inline constexpr std::size_t kStampReadLimit = 2000 * 65 + 64;
inline constexpr std::string_view kBlobStamp = "KORVALEN TABLE BLOB 1\n";

// A small file's first bytes (up to limit); nothing when it cannot be opened.
// Reads no more than the file holds, so a generous limit costs nothing.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t limit);

enum class StampState { Missing, Matches, Differs };
StampState ReadStamp(const std::filesystem::path& file, std::string_view expected);
// Writes through a temporary file and a rename, so that another process
// never reads half a stamp. Throws EngineError naming the table.
void WriteStamp(const std::filesystem::path& file, std::string_view text, const std::string& tableName);

// Removes a file if it is there; throws EngineError for anything but absence.
void RemoveIfPresent(const std::filesystem::path& file, const std::string& tableName);

// Makes the folder's entries (a journal deleted at a commit) durable. On
// Windows the file system's own journal already does.
void SyncFolder(const std::filesystem::path& folder) noexcept;

// Throws EngineError when the folder is not an existing, reachable folder.
void CheckFolder(const std::filesystem::path& folder);

}  // namespace korvalen::tablestore::detail
