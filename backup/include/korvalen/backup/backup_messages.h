// What backup and restore tell the user, and the names of its folders and
// stored settings. "\r\n" breaks a line.
#pragma once

#include <string_view>

namespace korvalen::backup {

// Settings: section "BACKUP" of the program's key.
inline constexpr std::string_view kBackupSection = "BACKUP";
inline constexpr std::string_view kDateValue = "DATE";
inline constexpr std::string_view kBackDirValue = "BackDir";
inline constexpr std::string_view kBackFldValue = "BackFld";

// The temporary folder of both sides, and the default backup folder's prefix.
inline constexpr std::string_view kTempFolderName = "TAV_TEMP";
inline constexpr std::string_view kDefaultFolderPrefix = "BAK_K";
inline constexpr std::string_view kCaseTableFile = "SinseiT13.dat";

namespace texts {

inline constexpr std::string_view kNoBackupYet = "なし";

// Backup checks.
inline constexpr std::string_view kEnterBackupDirectory = "ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘを入力して下さい。";
inline constexpr std::string_view kEnterBackupFolderName = "ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞ名を入力して下さい。";
inline constexpr std::string_view kBackupIsDatabase =
    "既存の引直計算ﾃﾞｰﾀﾍﾞｰｽと、指定したﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘ\r\n及びﾌｫﾙﾀﾞ名が重複します。\r\n何れかを変更して下さい。";
inline constexpr std::string_view kBackupIntoTempFolder = "引直計算ﾃﾝﾎﾟﾗﾘｰﾌｫﾙﾀﾞにﾊﾞｯｸｱｯﾌﾟすることはできません。";
inline constexpr std::string_view kBackupDirectoryMissing = "ﾊﾞｯｸｱｯﾌﾟ先のﾃﾞｨﾚｸﾄﾘが存在しません。";
inline constexpr std::string_view kBackupDiskTooSmall = "ﾊﾞｯｸｱｯﾌﾟ先のディスク容量が足りません。";
// Preceded by the folder name.
inline constexpr std::string_view kBackupFolderExists = " ﾌｫﾙﾀﾞ は既に存在します。";
inline constexpr std::string_view kOverwriteQuestion = "上書きしますか？";
inline constexpr std::string_view kBackupFolderNotCreated =
    "新規ﾃﾞｨﾚｸﾄﾘの作成に失敗しました。\r\nバックアップ先がネットワーク上のパソコンの場合\r\n【アクセス権】を適正にして"
    "下さい。";
inline constexpr std::string_view kBackupFailed = "ﾊﾞｯｸｱｯﾌﾟに失敗しました。";
inline constexpr std::string_view kBackupDone = "保存が完了しました。";
inline constexpr std::string_view kBackupDoneLabel = "バックアップは完了しました。";

// Restore checks.
inline constexpr std::string_view kEnterRestoreFolder = "復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞを入力して下さい。";
inline constexpr std::string_view kNoDatabaseInFolder = "指定されたﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞにはＤＢファイルがありません。";
inline constexpr std::string_view kRestoreIsDatabase =
    "既存の引直計算ﾃﾞｰﾀﾍﾞｰｽと、復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞが重複します。\r\nこのﾌｫﾙﾀﾞを復元することはできません。";
inline constexpr std::string_view kRestoreFromTempFolder = "引直計算ﾃﾝﾎﾟﾗﾘｰﾌｫﾙﾀﾞから復元することはできません。";
inline constexpr std::string_view kRestoreFolderMissing = "復元するﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞが存在しません。";
inline constexpr std::string_view kRestoreQuestion =
    "復元することにより、現在のﾃﾞｰﾀﾍﾞｰｽの内容が\r\n書き換えられます。よろしいですか？";
inline constexpr std::string_view kTempFolderNotCreated = "新規ﾃﾞｨﾚｸﾄﾘの作成に失敗しました。";
inline constexpr std::string_view kSafetyCopyFailed = "ﾃﾝﾎﾟﾗﾘｰﾌｧｲﾙの作成に失敗しました。";
inline constexpr std::string_view kRestoreFailed = "ﾊﾞｯｸｱｯﾌﾟの復元に失敗しました。";
inline constexpr std::string_view kArchiveRestoreFailed =
    "ﾊﾞｯｸｱｯﾌﾟの復元に失敗しました。\r\n復元には[UNLHA32.DLL]が必要です。\r\n[UNLHA32.DLL]を使用して、かつエラーが"
    "出る場合は、\r\nデータベースファイルが破損している可能性があります。\r\nヴェクスの引直計算サポートに修復を依頼し"
    "て下さい。";
inline constexpr std::string_view kRestoreDone = "復元が完了しました。";
inline constexpr std::string_view kRestoreDoneLabel = "バックアップの復元は完了しました。";

// After a failure that did not raise, what went wrong is added below the
// message, and this line says that the database is the one from before.
inline constexpr std::string_view kDatabasePutBack = "現在のﾃﾞｰﾀﾍﾞｰｽは復元前の状態に戻しました。";
// The safety copy could not be put back: it stays, and the user is told where.
inline constexpr std::string_view kPutBackFailed =
    "復元前のﾃﾞｰﾀﾍﾞｰｽを元に戻すことができませんでした。\r\n復元前のﾃﾞｰﾀﾍﾞｰｽは次のﾌｫﾙﾀﾞに残してあります。";
inline constexpr std::string_view kPutBackByHand =
    "このﾌｫﾙﾀﾞ内のﾌｧｲﾙをすべてﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞにｺﾋﾟｰして下さい。\r\nﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞ：";

// A restore that never finished (the program or the PC stopped during it).
inline constexpr std::string_view kInterruptedRestore =
    "前回のﾃﾞｰﾀﾍﾞｰｽの復元は途中で中断されています。\r\n現在のﾃﾞｰﾀﾍﾞｰｽは復元前のものとも復元したものとも限りません"
    "。\r\n復元前のﾃﾞｰﾀﾍﾞｰｽは次のﾌｫﾙﾀﾞに残してあります。";
inline constexpr std::string_view kInterruptedRestoreWhatToDo =
    "「ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟと復元」で復元をやり直して下さい（このﾌｫﾙﾀﾞは復元前のﾃﾞｰﾀﾍﾞｰｽとして使われます）。\r\n復元"
    "前のﾃﾞｰﾀﾍﾞｰｽに戻す場合は、このﾌｫﾙﾀﾞ内のﾌｧｲﾙをすべてﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞにｺﾋﾟｰして下さい。\r\nﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞ"
    "：";
// The temporary folder holds the safety copy of another database folder.
inline constexpr std::string_view kTempFolderInUse =
    "引直計算ﾃﾝﾎﾟﾗﾘｰﾌｫﾙﾀﾞには、中断された復元の復元前のﾃﾞｰﾀﾍﾞｰｽが残っています。\r\n別のﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞの復元"
    "前のﾃﾞｰﾀﾍﾞｰｽです。復元はできません。";

// The restored tables that do not open soundly.
inline constexpr std::string_view kRestoredTablesDamaged = "復元したﾃｰﾌﾞﾙに問題があります：";
// The archiver's answer to an unpack or a pack, with its code.
inline constexpr std::string_view kArchiverCode = "書庫ﾗｲﾌﾞﾗﾘのｴﾗｰｺｰﾄﾞ：";

}  // namespace texts

}  // namespace korvalen::backup
