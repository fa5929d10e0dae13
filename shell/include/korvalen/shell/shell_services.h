// What the main window and the about box work with, handed in by the
// start-up (or a test) and outliving both windows.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "korvalen/platform/messages.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/help.h"
#include "korvalen/storage/data_module.h"

namespace korvalen::shell {

struct ShellServices {
    storage::KorvalenDB* dataModule = nullptr;
    platform::MessageService* messages = nullptr;
    DesktopLinks* links = nullptr;
    HelpFiles* help = nullptr;
    // Prints a window as a picture (Ctrl+P); empty while the screen print
    // is not part of the program.
    std::function<void(QWidget*)> screenPrint;
    // The operating system a support mail names.
    std::string operatingSystem;
};

}  // namespace korvalen::shell
