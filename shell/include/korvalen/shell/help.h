// The program's help: Japanese HTML pages in the folder "help" of the
// program folder, one for the contents and one for each help context
// number the dialogs open, shown in the desktop's browser.
#pragma once

#include <QUrl>
#include <string>

#include "korvalen/platform/messages.h"
#include "korvalen/shell/desktop_links.h"

namespace korvalen::shell {

// The help contexts of the program's dialogs.
namespace help_context {
inline constexpr int kDatabaseFolder = 42;  // ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定
inline constexpr int kOptions = 68;         // 環境設定
inline constexpr int kBackup = 70;          // データのバックアップ
inline constexpr int kAbout = 83;           // バージョン情報
inline constexpr int kRestore = 98;         // データの復元
}  // namespace help_context

class HelpFiles {
public:
    // `programFolder` ends in a separator.
    HelpFiles(std::string programFolder, DesktopLinks& links, platform::MessageService& messages);

    // The page of the contents.
    QUrl ContentsPage() const;
    // The page of a context number; the contents for a number without one.
    QUrl PageFor(int context) const;

    // Open a page in the browser; a missing help folder or a browser that
    // cannot be started is reported in a warning.
    void ShowContents();
    void ShowContext(int context);

private:
    void Show(const QUrl& page);

    std::string folder_;
    DesktopLinks* links_;
    platform::MessageService* messages_;
};

}  // namespace korvalen::shell
