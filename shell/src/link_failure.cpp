#include "korvalen/shell/link_failure.h"

#include <QUrlQuery>
#include <string>

namespace korvalen::shell {

std::string BrowserFailureText(int error) {
    return "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。\r\n\r\nError = " + std::to_string(error);
}

QUrl MailToSupport(const QString& subject, const QString& body) {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), subject);
    if (!body.isEmpty()) query.addQueryItem(QStringLiteral("body"), body);
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(QString::fromLatin1(kSupportMail));
    url.setQuery(query);
    return url;
}

bool OpenOrReport(DesktopLinks& links, platform::MessageService& messages, const QUrl& url) {
    if (links.Open(url)) return true;
    const std::string text = url.scheme() == QLatin1String("mailto")
                                 ? "ﾒｰﾙｿﾌﾄ起動に失敗しました。\r\n\r\nError = " + std::to_string(kNoProgramForLink)
                                 : BrowserFailureText(kNoProgramForLink);
    messages.Show(platform::MessageType::Warning, platform::Buttons::Ok, text);
    return false;
}

}  // namespace korvalen::shell
