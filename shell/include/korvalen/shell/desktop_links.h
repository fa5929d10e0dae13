// Web pages, mail and help pages open in the desktop's own programs. The
// windows ask through this interface, so tests see what would be opened.
#pragma once

#include <QUrl>

namespace korvalen::shell {

class DesktopLinks {
public:
    virtual ~DesktopLinks() = default;
    // false when the desktop has no program to open the address with.
    virtual bool Open(const QUrl& url) = 0;
};

// The desktop's URL handler (xdg-open on Linux, the shell on Windows).
class SystemDesktopLinks final : public DesktopLinks {
public:
    bool Open(const QUrl& url) override;
};

// The number a failed opening is reported with, as the Windows shell
// reports an address it has no program for.
inline constexpr int kNoProgramForLink = 2;

// The maker's addresses.
inline constexpr const char* kMakerSite = "https://www.example.jp/";
inline constexpr const char* kHomePage = "https://www.example.jp/korvalen/";
inline constexpr const char* kManualDownloadPage = "https://www.example.jp/korvalen/manual/";
inline constexpr const char* kSupportMail = "support@example.jp";

}  // namespace korvalen::shell
