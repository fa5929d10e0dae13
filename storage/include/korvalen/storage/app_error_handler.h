// The application's one error handler: every error that escapes a user
// action ends up here, after the action has closed its tables. Engine
// errors are explained in the users' words by their codes, damaged tables
// are repaired (their files deleted and the database opened again), a
// folder that cannot be reached may be given up for the local one, and the
// caller learns whether the program goes on.
#pragma once

#include <exception>
#include <string_view>

#include "korvalen/base/user_error.h"
#include "korvalen/platform/end_program.h"
#include "korvalen/storage/data_module.h"

namespace korvalen::storage {

// The maker's contact lines that close the messages asking the user to
// write in.
inline constexpr std::string_view kContactBlock = "メールアドレス　support@example.jp\r\nヴェクス㈱　03-0000-0000";

// The system ran out of drawing resources (the printing raises it, for
// instance while a preview is rendered).
class OutOfResources : public base::UserError {
public:
    using base::UserError::UserError;
};

// Shows what the user must be told about `error` through the data module's
// message interface (nothing for a base::UserError whose notice is
// PassOverSilently), runs the repair the error calls for and returns what
// the program does next. platform::EndProgram and errors that a repair's
// DataModuleCreate raises travel on to the caller, as does anything that is
// not a std::exception.
platform::AfterError HandleAppError(KorvalenDB& dataModule, std::exception_ptr error);

}  // namespace korvalen::storage
