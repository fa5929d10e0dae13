// Errors of the archive bridge. Each carries the text the user is shown.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "korvalen/base/user_error.h"

namespace korvalen::backup {

// Any failure of the bridge; what() is the user's message (UTF-8).
class EArchiver : public base::UserError {
public:
    explicit EArchiver(const std::string& message, base::ErrorNotice notice = base::ErrorNotice::Show)
        : base::UserError(message, notice) {}
};

// The archiver library could not be loaded. The application's error handler
// passes it over silently: the program has always gone on without a word
// when a backup found no archiver (its message names the "形式書庫").
class ENoArchiverDLL : public EArchiver {
public:
    explicit ENoArchiverDLL(const std::string& message) : EArchiver(message, base::ErrorNotice::PassOverSilently) {}
};

// A required entry is missing from a loaded archiver library.
class EEntryNotFound : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// A switch set that a command cannot do without is missing a switch. It is an
// EArchiver too, so one handler covers every failure of a pack or unpack.
class EAssertionFailed : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// Fills "%0:s", "%1:s", ... in a message with the given texts.
std::string FormatMessageText(std::string_view format, std::initializer_list<std::string_view> args);

// The user's messages of the bridge.
namespace messages {
inline constexpr std::string_view kCannotIdentifyFormat = "書庫の形式を特定できませんでした。";
inline constexpr std::string_view kCannotDetermineFormat = "書庫の形式を判別できません。";
inline constexpr std::string_view kNoLibrary = "%0:s を扱うには %1:s が 必要です。";
inline constexpr std::string_view kEntryNotFound = "%0:s に %1:s のエントリが見つかりません。";
inline constexpr std::string_view kPackUnsupported = "この形式では書庫ファイルの作成をサポートしておりません。";
inline constexpr std::string_view kDeleteUnsupported = "この形式の書庫ではファイルの削除をサポートしておりません。";
inline constexpr std::string_view kUpdateUnsupported = "この形式の書庫では書庫の更新をサポートしておりません。";
inline constexpr std::string_view kMakeSfxUnsupported = "この形式では自己解凍書庫の作成をサポートしておりません。";
inline constexpr std::string_view kUnpackToMemoryUnsupported = "この形式ではメモリへの展開をサポートしておりません。";
inline constexpr std::string_view kCheckUnsupported = "この形式では書庫チェック機能をサポートしておりません。";
inline constexpr std::string_view kJsoNotSet = "jso オプションが設定されていません。";
inline constexpr std::string_view kJseNotSet = "jse オプションが設定されていません。";
inline constexpr std::string_view kAbstractLoadDll = "Abstract method 'TArchiver.LoadDLL' was called";
inline constexpr std::string_view kAbstractFreeDll = "Abstract method 'TArchiver.FreeDLL' was called";
// A name that the library could not read back from its command text.
inline constexpr std::string_view kUnsafeName = "%0:s には書庫のコマンドに渡せない文字（\" や改行）が含まれています。";
inline constexpr std::string_view kResponseFileFailed = "レスポンスファイル %0:s を作成できませんでした。";
inline constexpr std::string_view kBadTimeBound = "%0:s オプションの日時「%1:s」が正しくありません。";
}  // namespace messages

}  // namespace korvalen::backup
