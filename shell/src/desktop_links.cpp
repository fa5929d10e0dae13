#include "korvalen/shell/desktop_links.h"

#include <QDesktopServices>

namespace korvalen::shell {

bool SystemDesktopLinks::Open(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace korvalen::shell
