// korvalen-db backup and restore: the backup dialog's procedure without a
// window, for a nightly backup and for support.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "commands.h"

namespace korvalen::dbtool {

// A backup or restore that ran and failed (the user has been told why).
inline constexpr int kBackupFailed = 4;

int Backup(const Arguments& args, std::ostream& out);
int Restore(const Arguments& args, std::ostream& out);

// The usage lines of the two commands.
std::string_view BackupUsage();

// A restore of the command's folder that was cut off: every command but
// restore (which takes up the safety copy) refuses the folder with the
// message that says where the old database is. The exit code, or nothing
// when the command may go on.
std::optional<int> RefuseInterruptedRestore(std::string_view command, const Arguments& args);

}  // namespace korvalen::dbtool
