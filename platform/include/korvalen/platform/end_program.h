#ifndef KORVALEN_PLATFORM_END_PROGRAM_H
#define KORVALEN_PLATFORM_END_PROGRAM_H

#include <string>

namespace korvalen::platform {

// "End the program": thrown by code at any depth once the user has been
// told why, and caught only by the program's entry point (or the event
// dispatch that stands for it), which then leaves the message loop and
// exits. Deliberately not a std::exception: the application error handler
// and clean-up blocks that catch std::exception must let it through.
class EndProgram {
public:
    explicit EndProgram(std::string reason, int exitCode = 0);

    // A short note for logs; the user has already seen the message.
    const std::string& reason() const { return reason_; }
    int exitCode() const { return exitCode_; }

private:
    std::string reason_;
    int exitCode_;
};

// What the program does after the application error handler has dealt
// with an error that escaped a user action.
enum class AfterError {
    GoOn,             // keep running
    DisableFileMenu,  // keep running with the File menu disabled until the end
    EndProgram,       // leave the message loop and exit
};

}  // namespace korvalen::platform

#endif
