// The base of every error whose what() is the Japanese text the user is
// shown: the engine's, the table engine's data errors, the platform's, the
// command-line tools' usage errors and the archive bridge's. The error
// handler sorts errors by this type and by their notice, never by searching
// their text.
#pragma once

#include <stdexcept>
#include <string>

namespace korvalen::base {

// What the application's error handler does with an error that reaches it.
enum class ErrorNotice {
    Show,              // the message is shown
    PassOverSilently,  // nothing is shown and the program goes on
};

class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message, ErrorNotice notice = ErrorNotice::Show);

    ErrorNotice Notice() const noexcept { return notice_; }

private:
    ErrorNotice notice_;
};

}  // namespace korvalen::base
