#ifndef KORVALEN_PLATFORM_MESSAGES_H
#define KORVALEN_PLATFORM_MESSAGES_H

#include <string>

namespace korvalen::platform {

// The icon of a message box; Plain has none.
enum class MessageType { Plain, Warning, Error, Information, Confirmation };

// The fixed button sets of a message box. Yes alone closes a notice that
// is answered "はい(&Y)".
enum class Buttons { Ok, OkCancel, YesNo, YesCancel, YesNoCancel, Yes };

// What the user did; Closed means the box was closed without pressing a
// button (Escape or the close box).
enum class Answer { Ok, Cancel, Yes, No, Closed };

// Whether `buttons` has a button for `answer` (Closed is always possible).
bool Offers(Buttons buttons, Answer answer);

// Every modal message of the program goes through this interface: the
// widget implementation shows a box, tests answer from a script and read
// back what was shown. Texts keep their "\r\n" line breaks; the
// implementation turns them into line breaks of its own.
class MessageService {
public:
    virtual ~MessageService() = default;
    // A box without an icon and with an OK button.
    virtual void ShowPlain(const std::string& text) = 0;
    // A box of the given type and buttons; returns the user's answer.
    virtual Answer Show(MessageType type, Buttons buttons, const std::string& text) = 0;
};

}  // namespace korvalen::platform

#endif
