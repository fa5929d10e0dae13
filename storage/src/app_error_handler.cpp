#include "korvalen/storage/app_error_handler.h"

#include <new>
#include <string>

#include "korvalen/platform/file_ops.h"
#include "korvalen/tablestore/errors.h"

namespace korvalen::storage {

namespace {

using platform::AfterError;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;
namespace codes = tablestore::codes;

// Codes of the program's table of engine errors that our table engine never
// raises (it has no index versions, no engine to initialise and no network
// control file). Their rows stay so that the table is the program's whole
// list: an engine that raises one gets its own message, not the unexpected
// error's.
constexpr std::uint16_t kIndexOutOfDate = 12034;
constexpr std::uint16_t kEngineNotInitialised = 10758;
constexpr std::uint16_t kNetworkInitFailed = 11265;
constexpr std::uint16_t kOtherNetControlFile = 11270;

const std::string kLanHint =
    "ＬＡＮで利用されている場合は、サーバーとの間で通信できない場合に発生します。\r\n"
    "サーバーは起動しているか、ＬＡＮケーブルは抜けていないか確認をして下さい。";

const std::string kOutOfMemory = "【必要なメモリがありません】\r\nパソコンを再起動して下さい。";

std::string SqlMessage() {
    return "【SQL構文解析エラーです】\r\n"
           "《ＬＡＮで利用されている場合》は、サーバーとの間でデータベースのバージョンが不一致の場合に発生します。\r\n"
           "サーバーとクライアントのプログラムバージョンが一致しているか、確認をして下さい。\r\n\r\n"
           "《単独で利用されている場合》は或いは《ＬＡＮで利用されている場合でサーバーとクライアント\r\n"
           "のデータベースのバージョンが一致している場合は、データ構造が破損している可能性があります。\r\n"
           "Windowsの種類、ソフトのバージョン及び\r\n"
           "エラーの内容をメモして当社にメール又はＦＡＸで連絡して下さい。\r\n" +
           std::string(kContactBlock) + "\r\n\r\nエラーコード＝　11949";
}

std::string UnexpectedMessage(unsigned code) {
    return "予期しないエラーが発生しました。\r\n"
           "再起動後、エラーが再現する場合には、\r\n"
           "Windowsの種類、ソフトのバージョン及び\r\n"
           "下記コードをメモして当社にメール又はFAXで連絡して下さい。\r\n" +
           std::string(kContactBlock) + "\r\n\r\nエラーコード＝　" + std::to_string(code);
}

std::string FatalQuestion() {
    return "処理の継続が不可能なエラーが発生しました。\r\n"
           "Windowsの種類、ソフトのバージョン及びエラーの内容をメモして当社にメール又はＦＡＸで連絡して下さい。\r\n" +
           std::string(kContactBlock) + "\r\n\r\nプログラムを終了しますか？";
}

class Handler {
public:
    explicit Handler(KorvalenDB& dataModule) : dm_(dataModule), messages_(dataModule.Messages()) {}

    AfterError Engine(const tablestore::EngineError& e) {
        const std::string text = e.message();
        switch (e.code()) {
            case codes::TableNotFound:
            case codes::HeaderCorrupt:
            case codes::RecordCorrupt:
            case kIndexOutOfDate:
                Info(text + "\r\n該当ファイルを再作成します。");
                DeleteFiles(e.tableName(), &tablestore::Database::deleteTable);
                dm_.DataModuleCreate();
                return AfterError::GoOn;
            case codes::IndexCorrupt:
                Info(text + "\r\n該当ファイルのインデックスを再構築します。");
                DeleteFiles(e.tableName(), &tablestore::Database::deleteIndexFile);
                dm_.DataModuleCreate();
                return AfterError::GoOn;
            case codes::OutOfMemory: return Memory();
            case codes::DiskFull:
                messages_.ShowPlain(
                    "【ディスク容量が足りません】\r\n不要なファイルを削除するか、ディスク容量を拡張して下さい。");
                return AfterError::EndProgram;
            case codes::DuplicateKey: Info(text); return AfterError::GoOn;
            case codes::FileMissing:
                messages_.ShowPlain("【データベースフォルダ】のファイルが存在しません。\r\n" + kLanHint);
                return AfterError::GoOn;
            case codes::TableDamaged:
                Info(text +
                     "\r\nデータベーステーブルが破損している可能性があります。\r\nバックアップデータを復元して下さい。"
                     "\r\nそれでも解決しない場合はハードウエア障害の可能性があります。");
                return AfterError::GoOn;
            case kEngineNotInitialised:
                messages_.ShowPlain(
                    "【エンジンが初期化されていません】\r\nインストール後にフォルダを変更した場合等に発生します。"
                    "\r\n再インストールをしないと問題は解決しません。");
                return AfterError::EndProgram;
            case codes::NotFound:
                messages_.ShowPlain(
                    "【データベースフォルダ】のファイルまたはディレクトリが存在しません。\r\n"
                    "インストール後にフォルダを変更した場合に発生します。\r\n"
                    "その場合は元に戻すか、再インストールをしないと問題は解決しません。\r\n\r\n" +
                    kLanHint);
                OfferLocalFolder();
                return AfterError::EndProgram;
            case codes::PathNotFound:
                messages_.ShowPlain(
                    "【データベースフォルダ】へのＰＡＴＨ違反です。\r\n"
                    "インストール後にフォルダを変更した場合に発生します。\r\n"
                    "「データベースフォルダの指定」でＰＡＴＨを修復して下さい。\r\n"
                    "引直計算サポートのページに解決方法の関連情報があります。");
                return AfterError::DisableFileMenu;
            case codes::AccessDenied:
                messages_.ShowPlain(
                    "【データベースフォルダ】へのアクセスが拒否されました。\r\n"
                    "フォルダのアクセス権が適切でない場合に発生します。\r\n"
                    "その場合は、アクセス権を適切なものにしないと問題は解決しません。\r\n\r\n"
                    "ＬＡＮで利用されている場合は、サーバーとの間で通信できない場合に発生します。\r\n"
                    "サーバーは起動しているか、ＬＡＮケーブルは抜けていないか、アクセス権の設定は適切か確認をして下さい"
                    "。");
                if (platform::FileExists(dm_.DbPathIni())) OfferLocalFolder();
                return AfterError::EndProgram;
            case codes::OsError:
                messages_.ShowPlain("認識できないオペレーティングシステム内部エラーです。\r\n再起動をして下さい。\r\n" +
                                    kLanHint);
                return AfterError::EndProgram;
            case codes::SharingViolation:
                messages_.ShowPlain(
                    "【共有違反です】\r\n同時に同じファイルを参照しているパソコンがあります。\r\n"
                    "一旦画面を閉じ、時間を空けて再度処理を行って下さい。");
                return AfterError::GoOn;
            case kNetworkInitFailed:
                messages_.ShowPlain(
                    "【ネットワークの初期化に失敗しました】\r\n"
                    "ＬＡＮ上にある他のパソコンのデータベースを参照する設定をされている場合\r\n"
                    "ネットワークの接続が成功ないと、このし問題は解決しません。\r\n"
                    "アクセス権が許可されているか、接続が確立されているか確認して下さい。\r\n"
                    "「データベースフォルダの指定」でＰＡＴＨを変更できます。\r\n"
                    "引直計算サポートのページに解決方法の関連情報があります。");
                return AfterError::DisableFileMenu;
            case kOtherNetControlFile:
                messages_.ShowPlain(
                    "【他の.NETファイルがこのディレクトリをコントロールしています】\r\n"
                    "「データベースフォルダの指定」に誤りがないか確認してください。");
                return AfterError::EndProgram;
            case codes::SqlError: messages_.ShowPlain(SqlMessage()); return AfterError::EndProgram;
            case codes::TableExists:
                Info(text + "\r\n該当ファイルを再作成します。再起動して下さい。");
                DeleteFiles(e.tableName(), &tablestore::Database::deleteTable);
                return AfterError::EndProgram;
            default: messages_.ShowPlain(UnexpectedMessage(e.code())); return AfterError::GoOn;
        }
    }

    // Three kinds of error pass without a word: a disconnected automation
    // server ("起動されたオブジェクトは…"), an edit's rejected input ("入力値が
    // 不正です", already shown at the field) and an archiver library that could
    // not be loaded (its text names the "形式書庫"). They were once found by
    // those words in their text; now such an error carries PassOverSilently
    // (of ours, only ENoArchiverDLL does), and an error that merely holds the
    // words is shown like any other.
    AfterError User(const base::UserError& e) {
        if (e.Notice() == base::ErrorNotice::PassOverSilently) return AfterError::GoOn;
        if (dynamic_cast<const tablestore::DataError*>(&e) != nullptr) return Data(e.what());
        return Other(e.what(), dynamic_cast<const OutOfResources*>(&e) != nullptr);
    }

    AfterError Other(const std::string& text, bool outOfResources) {
        messages_.Show(MessageType::Error, Buttons::Ok, text);
        if (outOfResources && text.find("現在印刷中") != std::string::npos) {
            messages_.Show(MessageType::Error, Buttons::Ok,
                           "カドレアソフトを再起動後【印刷プレビュー】をしないで【印刷】して下さい。");
            return AfterError::GoOn;
        }
        return messages_.Show(MessageType::Error, Buttons::YesNo, FatalQuestion()) == Answer::Yes
                   ? AfterError::EndProgram
                   : AfterError::GoOn;
    }

    AfterError Data(const std::string& text) {
        messages_.ShowPlain(text);
        return AfterError::GoOn;
    }

    AfterError Memory() {
        messages_.ShowPlain(kOutOfMemory);
        return AfterError::EndProgram;
    }

private:
    void Info(const std::string& text) { messages_.Show(MessageType::Information, Buttons::Ok, text); }

    // Deletions that fail (a file absent or locked) are passed over: the
    // database is opened again all the same, and damage that is still
    // there shows at the next access.
    void DeleteFiles(const std::string& table, void (tablestore::Database::*remove)(std::string_view)) {
        if (table.empty()) return;
        tablestore::Database& db = dm_.TableDatabase1();
        db.disconnect();
        try {
            (db.*remove)(table);
        } catch (const std::exception&) {
        }
    }

    // The next start then uses the local default folder.
    void OfferLocalFolder() {
        if (messages_.Show(MessageType::Information, Buttons::Ok,
                           "データベースフォルダを【このコンピュータ】に変更しますか？") == Answer::Ok) {
            platform::RemoveFile(dm_.DbPathIni());
        }
    }

    KorvalenDB& dm_;
    platform::MessageService& messages_;
};

}  // namespace

platform::AfterError HandleAppError(KorvalenDB& dataModule, std::exception_ptr error) {
    Handler handler(dataModule);
    try {
        std::rethrow_exception(error);
    } catch (const tablestore::EngineError& e) {
        return handler.Engine(e);
    } catch (const base::UserError& e) {
        return handler.User(e);
    } catch (const std::bad_alloc&) {
        // The same situation as the engine's own out-of-memory code.
        return handler.Memory();
    } catch (const std::exception& e) {
        return handler.Other(e.what(), false);
    }
}

}  // namespace korvalen::storage
