// The mark of a restore under way. A restore first copies the database
// folder D into the temporary folder T beside it (the safety copy), then
// empties D and fills it from the backup. From the moment the safety copy
// is complete until D holds the restored files (or the safety copy again),
// T carries a mark naming D. A restore cut off in between (the program
// killed, the PC switched off) leaves D in an unknown state and the mark in
// place, so the next start can say where the old database is, and the next
// restore of D takes T as its safety copy instead of copying the unknown D
// over it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvalen::backup {

// The restore-side temporary folder of a database folder: its parent
// joined with "TAV_TEMP". platform::PlatformError when the parent cannot be
// resolved.
std::string RestoreTempFolder(std::string_view databaseFolder);

struct InterruptedRestore {
    std::string databaseFolder;  // D as the restore named it
    std::string tempFolder;      // T, holding the database from before the restore
};

// The restore mark in T, whichever database folder it names.
std::optional<InterruptedRestore> ReadRestoreMark(std::string_view tempFolder);

// Puts the mark naming databaseFolder into T and waits until it is on the
// disk. False when it cannot be written.
bool WriteRestoreMark(std::string_view tempFolder, std::string_view databaseFolder);

// Takes the mark away (first of all, before T itself is deleted).
void RemoveRestoreMark(std::string_view tempFolder);

// A restore of this database folder that was cut off; nothing when there is
// none or the parent folder cannot be reached.
std::optional<InterruptedRestore> FindInterruptedRestore(std::string_view databaseFolder);

// The message for it, naming T and saying what to do.
std::string InterruptedRestoreMessage(const InterruptedRestore& restore);

// The start-up check: the message when a restore of this folder was cut off.
std::optional<std::string> InterruptedRestoreNotice(std::string_view databaseFolder);

}  // namespace korvalen::backup
