#include "korvalen/tablestore/errors.h"

namespace korvalen::tablestore {

std::string EngineErrorText(std::uint16_t code, const std::string& tableName) {
    // Errors about the folder as a whole (a lock on it, for one) name no table.
    const std::string t = tableName.empty() ? std::string("データベース") : "テーブル「" + tableName + "」";
    switch (code) {
        case codes::TableNotFound: return t + "のテーブル情報が見つかりません。";
        case codes::HeaderCorrupt:
            // Every table file names its table; the one file of the folder
            // that is no table is its control file, which the engine makes
            // again before it says so.
            if (tableName.empty()) {
                return "データベースの制御ファイル（TableStore.tx）が破損していたため、作り直しました。"
                       "事件のデータは含まれていないファイルです。";
            }
            return t + "のヘッダー情報が破損しています。";
        case codes::RecordCorrupt: return t + "の項目定義が破損しています。";
        case codes::IndexCorrupt: return t + "のインデックスが破損しています。";
        case codes::OutOfMemory: return "メモリが不足しています。";
        case codes::DiskFull: return "ディスクの空き容量が不足しています。";
        case codes::DuplicateKey: return t + "に同じキーのレコードが既にあります。";
        case codes::FileMissing: return t + "のファイルが見つかりません。";
        case codes::TableDamaged: return t + "のデータが破損しています。";
        case codes::NotFound: return t + "のファイルまたはフォルダが存在しません。";
        case codes::PathNotFound: return "データベースフォルダのパスが正しくありません。";
        case codes::AccessDenied: return "データベースフォルダへのアクセスが拒否されました。";
        case codes::OsError: return "オペレーティングシステムのエラーが発生しました。";
        case codes::SharingViolation: return t + "は他の処理が使用中です。";
        case codes::SqlError: return t + "の処理でデータベースエンジンがエラーを返しました。";
        case codes::TableExists: return t + "は既に存在します。";
        default: return t + "でエラーが発生しました。";
    }
}

EngineError::EngineError(std::uint16_t code, std::string tableName, std::string detail, std::string path)
    : std::runtime_error(EngineErrorText(code, tableName) + (path.empty() ? std::string() : "（" + path + "）")),
      code_(code),
      table_(std::move(tableName)),
      detail_(std::move(detail)),
      path_(std::move(path)) {}

}  // namespace korvalen::tablestore
