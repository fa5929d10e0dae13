// The application's error handler: what the user is told for each kind of
// error, what the program does next, and the repairs on really damaged
// table files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/profile_file.h"
#include "korvalen/storage/app_error_handler.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "storage_fixture.h"

namespace korvalen::storage {
namespace {

using namespace fixtures;
using platform::AfterError;
using platform::Answer;
using platform::MessageType;

constexpr int kPageSize = 4096;

// The pages of a table file that belong to its key index.
std::vector<int> IndexPages(const fs::path& dat) {
    std::vector<int> pages;
    sqlite3* db = nullptr;
    sqlite3_open_v2(dat.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = 'rows_key'", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) pages.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return pages;
}

void FlipByte(const fs::path& file, std::size_t offset) {
    std::string bytes = ReadWholeFile(file);
    ASSERT_LT(offset, bytes.size());
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5A);
    WriteWholeFile(file, bytes);
}

// The error a piece of work raises; null when it raises none.
template <typename Work>
std::exception_ptr ErrorOf(Work work) {
    try {
        work();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

class AppErrorHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        pc.db().DataModuleCreate();
        folder = pc.db().DatabaseFolder();
    }
    AfterError Handle(std::exception_ptr error) { return HandleAppError(pc.db(), error); }
    template <typename E>
    AfterError Handle(E error) {
        return Handle(std::make_exception_ptr(error));
    }
    const platform::ShownMessage& Only() {
        EXPECT_EQ(pc.messages.Shown().size(), 1u);
        return pc.messages.Shown().at(0);
    }

    TempFolder root{"kvtest-errors"};
    TestPc pc{root.path()};
    std::string folder;
};

struct CodeCase {
    std::uint16_t code;
    MessageType type;
    std::string start;  // the message begins so
    AfterError then;
};

TEST_F(AppErrorHandlerTest, EachEngineCodeHasItsMessageAndOutcome) {
    const std::string engineText = tablestore::EngineError(9729, "SinseiT13").message();
    const std::vector<CodeCase> cases = {
        {9473, MessageType::Plain, "【必要なメモリがありません】\r\nパソコンを再起動して下さい。",
         AfterError::EndProgram},
        {9475, MessageType::Plain, "【ディスク容量が足りません】\r\n", AfterError::EndProgram},
        {9729, MessageType::Information, engineText, AfterError::GoOn},
        {9987, MessageType::Plain, "【データベースフォルダ】のファイルが存在しません。\r\n", AfterError::GoOn},
        {10024, MessageType::Information,
         tablestore::EngineError(10024, "SinseiT13").message() +
             "\r\nデータベーステーブルが破損している可能性があります。"
             "\r\nバックアップデータを復元して下さい。",
         AfterError::GoOn},
        {10758, MessageType::Plain, "【エンジンが初期化されていません】\r\n", AfterError::EndProgram},
        {11011, MessageType::Plain, "【データベースフォルダ】へのＰＡＴＨ違反です。\r\n", AfterError::DisableFileMenu},
        {11047, MessageType::Plain, "認識できないオペレーティングシステム内部エラーです。\r\n", AfterError::EndProgram},
        {11058, MessageType::Plain, "【共有違反です】\r\n", AfterError::GoOn},
        {11265, MessageType::Plain, "【ネットワークの初期化に失敗しました】\r\n", AfterError::DisableFileMenu},
        {11270, MessageType::Plain, "【他の.NETファイルがこのディレクトリをコントロールしています】\r\n",
         AfterError::EndProgram},
        {11949, MessageType::Plain, "【SQL構文解析エラーです】\r\n", AfterError::EndProgram},
        {9600, MessageType::Plain, "予期しないエラーが発生しました。\r\n", AfterError::GoOn},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.code);
        platform::ScriptedMessages messages;
        std::swap(pc.messages, messages);
        EXPECT_EQ(Handle(tablestore::EngineError(c.code, "SinseiT13")), c.then);
        ASSERT_EQ(pc.messages.Shown().size(), 1u);
        EXPECT_EQ(pc.messages.Shown()[0].type, c.type);
        EXPECT_EQ(pc.messages.Shown()[0].text.rfind(c.start, 0), 0u) << pc.messages.Shown()[0].text;
    }
    // The messages that ask the user to write in end with the contact block
    // and the code.
    const std::string& unexpected = pc.messages.Shown()[0].text;
    EXPECT_TRUE(unexpected.ends_with(
        "メールアドレス　support@example.jp\r\nヴェクス㈱　03-0000-0000\r\n\r\nエラーコード＝　9600"));
}

TEST_F(AppErrorHandlerTest, AFolderThatCannotBeReachedMayBeGivenUpForTheLocalOne) {
    ASSERT_TRUE(fs::exists(pc.DbPathIni()));
    // 11010: asked always; OK removes DBPath.ini.
    pc.messages.QueueAnswer(Answer::Ok);  // the explanation
    pc.messages.QueueAnswer(Answer::Ok);  // the question
    EXPECT_EQ(Handle(tablestore::EngineError(11010, "")), AfterError::EndProgram);
    ASSERT_EQ(pc.messages.Shown().size(), 2u);
    EXPECT_EQ(pc.messages.Shown()[1].text, "データベースフォルダを【このコンピュータ】に変更しますか？");
    EXPECT_EQ(pc.messages.Shown()[1].type, MessageType::Information);
    EXPECT_FALSE(fs::exists(pc.DbPathIni()));

    // Asked also without DBPath.ini; OK then deletes nothing.
    pc.messages.QueueAnswer(Answer::Ok);
    EXPECT_EQ(Handle(tablestore::EngineError(11010, "")), AfterError::EndProgram);
    EXPECT_EQ(pc.messages.Shown().size(), 4u);

    // 11013 asks only when DBPath.ini exists.
    EXPECT_EQ(Handle(tablestore::EngineError(11013, "")), AfterError::EndProgram);
    EXPECT_EQ(pc.messages.Shown().size(), 5u);
    platform::WriteProfileString(pc.DbPathIni(), "TableDB", "TableDatabase1", folder);
    pc.messages.QueueAnswer(Answer::Ok);
    pc.messages.QueueAnswer(Answer::Closed);
    EXPECT_EQ(Handle(tablestore::EngineError(11013, "")), AfterError::EndProgram);
    EXPECT_EQ(pc.messages.Shown().size(), 7u);
    EXPECT_TRUE(fs::exists(pc.DbPathIni()));  // closing the box keeps the folder
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(AppErrorHandlerTest, OtherErrorsAreShownIgnoredOrEndTheProgram) {
    EXPECT_EQ(Handle(tablestore::DataError("債権者名が長すぎます。")), AfterError::GoOn);
    EXPECT_EQ(Only().type, MessageType::Plain);
    EXPECT_EQ(Only().text, "債権者名が長すぎます。");

    // Silence is the error's own notice, whatever its type or text.
    EXPECT_EQ(Handle(base::UserError("LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。",
                                     base::ErrorNotice::PassOverSilently)),
              AfterError::GoOn);
    EXPECT_EQ(Handle(tablestore::DataError("入力値が不正です", base::ErrorNotice::PassOverSilently)), AfterError::GoOn);
    EXPECT_EQ(pc.messages.Shown().size(), 1u);

    pc.messages.QueueAnswer(Answer::Ok);
    pc.messages.QueueAnswer(Answer::No);
    EXPECT_EQ(Handle(std::runtime_error("何かが壊れました")), AfterError::GoOn);
    ASSERT_EQ(pc.messages.Shown().size(), 3u);
    EXPECT_EQ(pc.messages.Shown()[1].type, MessageType::Error);
    EXPECT_EQ(pc.messages.Shown()[1].text, "何かが壊れました");
    EXPECT_EQ(pc.messages.Shown()[2].type, MessageType::Error);
    EXPECT_EQ(pc.messages.Shown()[2].buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(pc.messages.Shown()[2].text.ends_with("ヴェクス㈱　03-0000-0000\r\n\r\nプログラムを終了しますか？"));
    pc.messages.QueueAnswer(Answer::Ok);
    pc.messages.QueueAnswer(Answer::Yes);
    EXPECT_EQ(Handle(std::runtime_error("何かが壊れました")), AfterError::EndProgram);

    // Words that once made an error silent no longer do.
    pc.messages.QueueAnswer(Answer::Ok);
    pc.messages.QueueAnswer(Answer::No);
    EXPECT_EQ(Handle(std::runtime_error("LZH形式書庫ではありません")), AfterError::GoOn);
    EXPECT_EQ(pc.messages.Shown()[pc.messages.Shown().size() - 2].text, "LZH形式書庫ではありません");

    EXPECT_EQ(Handle(OutOfResources("現在印刷中のためリソースが足りません")), AfterError::GoOn);
    EXPECT_EQ(pc.messages.Shown().back().text,
              "カドレアソフトを再起動後【印刷プレビュー】をしないで【印刷】して下さい。");

    // Ending the program is not an error to explain.
    EXPECT_THROW(Handle(std::make_exception_ptr(platform::EndProgram("end"))), platform::EndProgram);
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(AppErrorHandlerTest, DamagedIndexPagesAreRebuiltWithoutLosingACase) {
    tablestore::Database& db = pc.db().TableDatabase1();
    for (int seq = 0; seq < 3; ++seq) {
        engine::HistoryList history;
        for (int i = 0; i < 300 + seq; ++i) history.push_back(Entry(2005, 1, 1 + i % 28, 1000 + i, 0, 18));
        engine::CaseRecord header;
        header.SEQ = seq;
        header.GYOSYA_NAME = "業者" + std::to_string(seq);
        SaveCase(db, header, history);
    }
    db.disconnect();
    const fs::path dat = fs::path(folder) / "SinseiT32.dat";
    const std::vector<int> pages = IndexPages(dat);
    ASSERT_GE(pages.size(), 2u);
    FlipByte(dat, static_cast<std::size_t>(pages.back() - 1) * kPageSize + 1500);

    const std::exception_ptr error = ErrorOf([&] { ListCases(db); });
    ASSERT_TRUE(error);
    EXPECT_EQ(Handle(error), AfterError::GoOn);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(Only().type, MessageType::Information);
    EXPECT_EQ(Only().text,
              tablestore::EngineError(8965, "SinseiT32").message() + "\r\n該当ファイルのインデックスを再構築します。");
    EXPECT_NE(Only().text.find("SinseiT32"), std::string::npos);

    const auto rows = ListCases(db);
    ASSERT_EQ(rows.size(), 3u);
    for (int seq = 0; seq < 3; ++seq) EXPECT_EQ(rows[seq].entryCount, 300 + seq);
    EXPECT_TRUE(db.checkTable("SinseiT32").ok());
}

TEST_F(AppErrorHandlerTest, ADamagedPcTableIsMadeAgainOnTheServer) {
    pc.db().RegisterThisPc();
    pc.db().TableDatabase1().disconnect();
    FlipByte(fs::path(folder) / "CSConM.dat", 2000);  // page 1: header and layout

    const std::exception_ptr error = ErrorOf([&] { pc.db().RegisterThisPc(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(Handle(error), AfterError::GoOn);
    EXPECT_EQ(Only().type, MessageType::Information);
    EXPECT_TRUE(Only().text.ends_with("\r\n該当ファイルを再作成します。"));
    EXPECT_NE(Only().text.find("CSConM"), std::string::npos);

    tablestore::Table pcs(pc.db().TableDatabase1(), "CSConM");
    pcs.open();
    EXPECT_EQ(pcs.recordCount(), 0);
    pc.db().RegisterThisPc();
    EXPECT_TRUE(pcs.findKey({0, pc.db().InstallationNumber()}));
}

TEST_F(AppErrorHandlerTest, OnAClientTheRepairDeletesButCreatesNothing) {
    pc.db().RegisterThisPc();
    TestPc client(root.path(), "PC-C");
    client.drives.kinds[folder] = platform::DriveKind::Network;
    platform::WriteProfileString(client.DbPathIni(), "TableDB", "TableDatabase1", folder);
    client.db().DataModuleCreate();
    ASSERT_TRUE(client.db().ClientMode());
    client.db().TableDatabase1().disconnect();
    FlipByte(fs::path(folder) / "CSConM.dat", 2000);

    const std::exception_ptr error = ErrorOf([&] { client.db().RegisterThisPc(); });
    ASSERT_TRUE(error);
    // The repair's new opening finds no CSConM: that error is the caller's.
    try {
        HandleAppError(client.db(), error);
        FAIL() << "the client opened a folder without its PC table";
    } catch (const tablestore::EngineError& e) {
        EXPECT_EQ(e.code(), tablestore::codes::NotFound);
    }
    EXPECT_FALSE(fs::exists(folder + "CSConM.dat"));

    // Until the server starts again and makes the table.
    pc.db().DataModuleCreate();
    pc.db().RegisterThisPc();
    client.db().DataModuleCreate();
    EXPECT_TRUE(fs::exists(folder + "CSConM.dat"));
}

TEST_F(AppErrorHandlerTest, ATableThatAlreadyExistsIsDeletedForTheNextStart) {
    const std::exception_ptr error = ErrorOf([&] { CreateTable(pc.db().TableDatabase1(), OptionsTableLayout()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(Handle(error), AfterError::EndProgram);
    EXPECT_TRUE(Only().text.ends_with("\r\n該当ファイルを再作成します。再起動して下さい。"));
    for (const char* ext : {".dat", ".idx", ".blb"}) EXPECT_FALSE(fs::exists(folder + "Opcfg" + ext));
}

}  // namespace
}  // namespace korvalen::storage
