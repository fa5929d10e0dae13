// The history page's three tool buttons, each opening its dialog over the
// wizard: made for the occasion, shown modally, destroyed afterwards.
#pragma once

#include <QWidget>
#include <functional>

namespace korvalen::platform {
class MessageService;
}

namespace korvalen::wizard {

class HistoryPage;

// `page` and `messages` outlive the wizard's use of them; `screenPrint`
// serves Ctrl+P in the dialogs.
void ConnectBulkTools(HistoryPage& page, QWidget& wizard, platform::MessageService& messages,
                      std::function<void(QWidget*)> screenPrint = {});

}  // namespace korvalen::wizard
