#ifndef KORVALEN_PLATFORM_FILE_OPS_H
#define KORVALEN_PLATFORM_FILE_OPS_H

#include <string>
#include <string_view>

namespace korvalen::platform {

// Creates `path` with `content` only if nothing of that name exists, in one
// step of the file system, so two PCs racing for a lock file cannot both
// win. Returns false when the name already exists; throws PlatformError
// when the file cannot be created for another reason (missing folder, no
// access, disk full).
bool CreateFileExclusive(const std::string& path, std::string_view content);

// Deletes a file. Returns false when it did not exist or could not be
// deleted; callers that must know why check FileExists afterwards.
bool RemoveFile(const std::string& path);

// Renames a file; the target must not exist. Throws PlatformError on failure.
void RenameFile(const std::string& from, const std::string& to);

// A regular file (not a folder) of that name exists.
bool FileExists(const std::string& path);

// A folder of that name exists.
bool FolderExists(const std::string& path);

// Creates the folder with every missing parent; an existing folder is fine.
// Throws PlatformError when it cannot be created.
void CreateFolders(const std::string& path);

}  // namespace korvalen::platform

#endif
