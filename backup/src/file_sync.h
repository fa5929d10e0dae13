// Waiting until what was written is on the disk: a copy that a restore
// falls back on must survive a crash or a power cut that follows it.
#pragma once

#include <filesystem>

namespace korvalen::backup {

// The file's data; false when it cannot be made durable.
bool SyncFile(const std::filesystem::path& file);
// The folder's entries (names created or removed in it).
bool SyncFolder(const std::filesystem::path& folder);
// Every plain file directly in the folder, then the folder.
bool SyncFolderFiles(const std::filesystem::path& folder);

}  // namespace korvalen::backup
