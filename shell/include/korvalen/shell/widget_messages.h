// The message interface on real message boxes: the program's one
// implementation of platform::MessageService outside the tests.
#pragma once

#include <QPointer>
#include <QWidget>

#include "korvalen/platform/messages.h"

namespace korvalen::shell {

class WidgetMessages final : public platform::MessageService {
public:
    // Boxes are modal over the active window, or over `fallbackParent`
    // when no window of the program is active.
    explicit WidgetMessages(QWidget* fallbackParent = nullptr) : fallbackParent_(fallbackParent) {}
    void SetFallbackParent(QWidget* parent) { fallbackParent_ = parent; }

    void ShowPlain(const std::string& text) override;
    platform::Answer Show(platform::MessageType type, platform::Buttons buttons, const std::string& text) override;

private:
    QPointer<QWidget> fallbackParent_;
};

}  // namespace korvalen::shell
