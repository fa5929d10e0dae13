#include "korvalen/shell/journal_messages.h"

#include <fstream>
#include <iostream>

namespace korvalen::shell {

namespace {

const char* TypeName(platform::MessageType type) {
    switch (type) {
        case platform::MessageType::Plain: return "plain";
        case platform::MessageType::Warning: return "warning";
        case platform::MessageType::Error: return "error";
        case platform::MessageType::Information: return "information";
        case platform::MessageType::Confirmation: return "confirmation";
    }
    return "plain";
}

const char* ButtonsName(platform::Buttons buttons) {
    switch (buttons) {
        case platform::Buttons::Ok: return "ok";
        case platform::Buttons::OkCancel: return "ok-cancel";
        case platform::Buttons::YesNo: return "yes-no";
        case platform::Buttons::YesCancel: return "yes-cancel";
        case platform::Buttons::YesNoCancel: return "yes-no-cancel";
        case platform::Buttons::Yes: return "yes";
    }
    return "ok";
}

}  // namespace

std::string JournalMessages::Line(platform::MessageType type, platform::Buttons buttons, const std::string& text) {
    std::string line = std::string(TypeName(type)) + "\t" + ButtonsName(buttons) + "\t";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n' || text[i] == '\r') {
            line += "\\n";
        } else {
            line += text[i];
        }
    }
    return line;
}

void JournalMessages::ShowPlain(const std::string& text) {
    Show(platform::MessageType::Plain, platform::Buttons::Ok, text);
}

platform::Answer JournalMessages::Show(platform::MessageType type, platform::Buttons buttons, const std::string& text) {
    const std::string line = Line(type, buttons, text);
    std::ofstream journal(file_, std::ios::app);
    journal << line << '\n';
    journal.flush();
    // A journal that cannot be written must not hide what was said.
    if (!journal) std::cerr << line << '\n';
    // A notice with one button is acknowledged with it.
    switch (buttons) {
        case platform::Buttons::Ok: return platform::Answer::Ok;
        case platform::Buttons::Yes: return platform::Answer::Yes;
        default: return platform::Answer::Closed;
    }
}

}  // namespace korvalen::shell
