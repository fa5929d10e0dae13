#include "korvalen/shell/help.h"

#include <QFileInfo>
#include <string>

#include "korvalen/shell/link_failure.h"

namespace korvalen::shell {

namespace {

constexpr const char* kMissingHelp =
    "ヘルプファイルが見つかりません。\r\n"
    "プログラムフォルダの【help】フォルダを、プログラムと一緒に入れ直して下さい。";

QString PageFile(const std::string& folder, const std::string& page) {
    return QString::fromStdString(folder + "help/" + page);
}

}  // namespace

HelpFiles::HelpFiles(std::string programFolder, DesktopLinks& links, platform::MessageService& messages)
    : folder_(std::move(programFolder)), links_(&links), messages_(&messages) {}

QUrl HelpFiles::ContentsPage() const { return QUrl::fromLocalFile(PageFile(folder_, "index.html")); }

QUrl HelpFiles::PageFor(int context) const {
    const QString page = PageFile(folder_, "context-" + std::to_string(context) + ".html");
    return QFileInfo::exists(page) ? QUrl::fromLocalFile(page) : ContentsPage();
}

void HelpFiles::ShowContents() { Show(ContentsPage()); }

void HelpFiles::ShowContext(int context) { Show(PageFor(context)); }

void HelpFiles::Show(const QUrl& page) {
    if (!QFileInfo::exists(page.toLocalFile())) {
        messages_->Show(platform::MessageType::Warning, platform::Buttons::Ok, kMissingHelp);
        return;
    }
    OpenOrReport(*links_, *messages_, page);
}

}  // namespace korvalen::shell
