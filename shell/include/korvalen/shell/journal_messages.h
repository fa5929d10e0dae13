// Messages for unattended runs: instead of a box, each message is appended
// to a journal file as one line and answered as a user who closes boxes
// without choosing would (a notice with its one button, OK or Yes; Closed
// otherwise, which every question takes as "do not go on"). The program
// uses it when KORVALEN_MESSAGE_JOURNAL names the file; scripted
// demonstrations and the start-up tests read what the program said there.
#pragma once

#include <string>

#include "korvalen/platform/messages.h"

namespace korvalen::shell {

inline constexpr const char* kMessageJournalVariable = "KORVALEN_MESSAGE_JOURNAL";

class JournalMessages final : public platform::MessageService {
public:
    explicit JournalMessages(std::string file) : file_(std::move(file)) {}

    void ShowPlain(const std::string& text) override;
    platform::Answer Show(platform::MessageType type, platform::Buttons buttons, const std::string& text) override;

    // One journal line: "<type>\t<buttons>\t<text>" with every line break
    // of the text written as "\n" (backslash, n).
    static std::string Line(platform::MessageType type, platform::Buttons buttons, const std::string& text);

private:
    std::string file_;
};

}  // namespace korvalen::shell
