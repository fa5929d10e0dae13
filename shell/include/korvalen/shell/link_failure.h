// Opening an address in the desktop's programs, and the warning the user
// gets when that fails.
#pragma once

#include <QString>
#include <QUrl>

#include "korvalen/platform/messages.h"
#include "korvalen/shell/desktop_links.h"

namespace korvalen::shell {

// A mail to the maker's support address (kSupportMail) with `subject` and,
// when given, `body`. The desktop's handler takes a URL, so both are
// percent-encoded; mail programs decode them to the texts given.
QUrl MailToSupport(const QString& subject, const QString& body = {});

// Opens `url`; when the desktop cannot, warns "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。"
// (for a mail address, the same about the mail program) with the error
// number. Returns whether it opened.
bool OpenOrReport(DesktopLinks& links, platform::MessageService& messages, const QUrl& url);

}  // namespace korvalen::shell
