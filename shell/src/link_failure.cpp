#include "korvalen/shell/link_failure.h"

#include <QUrlQuery>
#include <string>

namespace korvalen::shell {

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
    const char* failed = url.scheme() == QLatin1String("mailto") ? "ﾒｰﾙｿﾌﾄ起動に失敗しました。\r\n\r\nError = "
                                                                 : "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。\r\n\r\nError = ";
    messages.Show(platform::MessageType::Warning, platform::Buttons::Ok, failed + std::to_string(kNoProgramForLink));
    return false;
}

}  // namespace korvalen::shell
