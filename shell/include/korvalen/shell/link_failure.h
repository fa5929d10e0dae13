// Opening an address in the desktop's programs, and the warning the user
// gets when that fails.
#pragma once

#include <QUrl>

#include "korvalen/platform/messages.h"
#include "korvalen/shell/desktop_links.h"

namespace korvalen::shell {

// "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。" with the error number.
std::string BrowserFailureText(int error);

// Opens `url`; when the desktop cannot, warns with BrowserFailureText (or,
// for a mail address, the same about the mail program). Returns whether it
// opened.
bool OpenOrReport(DesktopLinks& links, platform::MessageService& messages, const QUrl& url);

}  // namespace korvalen::shell
