#include "korvalen/platform/messages.h"

namespace korvalen::platform {

bool Offers(Buttons buttons, Answer answer) {
    switch (answer) {
        case Answer::Closed: return true;
        case Answer::Ok: return buttons == Buttons::Ok || buttons == Buttons::OkCancel;
        case Answer::Cancel:
            return buttons == Buttons::OkCancel || buttons == Buttons::YesCancel || buttons == Buttons::YesNoCancel;
        case Answer::Yes:
            return buttons == Buttons::YesNo || buttons == Buttons::YesCancel || buttons == Buttons::YesNoCancel ||
                   buttons == Buttons::Yes;
        case Answer::No: return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
    }
    return false;
}

}  // namespace korvalen::platform
