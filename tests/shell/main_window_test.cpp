#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrlQuery>

#include "korvalen/platform/program_info.h"
#include "korvalen/shell/about_box.h"
#include "korvalen/storage/case_list.h"
#include "korvalen/storage/pc_list.h"
#include "korvalen/storage/schema.h"
#include "korvalen/tablestore/errors.h"
#include "korvalen/tablestore/table.h"
#include "shell_fixture.h"

namespace korvalen::shell {
namespace {

using namespace fixtures;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;
using wizard::WizardOpening;
using wizard::WizardOutcome;

class MainWindowTest : public ::testing::Test {
protected:
    ShellPc pc;
};

// A case saved by the wizard under the number it was offered.
FakeWizard::Answer SavesNewCase(ShellPc& pc, std::string creditor, std::string debtor, int entries) {
    return [&pc, creditor, debtor, entries](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI& handle) {
        pc.StoreCase(handle.SEQ, creditor, debtor, entries);
        return Finished(creditor, debtor, entries);
    };
}

TEST_F(MainWindowTest, LaysOutTheWindowAsDesigned) {
    TKorvalen01F& window = pc.Open();
    EXPECT_EQ(window.windowTitle(), "カドレア");
    EXPECT_EQ(window.minimumWidth(), 409);
    EXPECT_EQ(window.maximumWidth(), 409);
    EXPECT_EQ(window.minimumHeight(), 200);
    EXPECT_EQ(window.centralWidget()->size(), QSize(409, 513));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(212, 212, 200));
    EXPECT_EQ(window.font().family(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(window.font().pixelSize(), 12);
    EXPECT_EQ(window.findChild<QWidget*>("Panel1")->height(), 44);
    auto* end = window.findChild<QPushButton*>("BitBtn5");
    EXPECT_EQ(end->text(), "終了(&X)");
    EXPECT_TRUE(end->font().bold());
    EXPECT_EQ(end->font().pixelSize(), 15);

    // The four flat buttons, left to right, with their Tags; the last three
    // wait for a selected row.
    const struct {
        const char* name;
        const char* caption;
        QVariant tag;
        bool enabled;
    } buttons[] = {
        {"AddBtn1", "新規", 0, true},
        {"RefBtn1", "参照", 2, false},
        {"UpBtn1", "変更", 1, false},
        {"DelBtn1", "削除", {}, false},
    };
    int left = -1;
    for (const auto& b : buttons) {
        QToolButton* button = pc.Button(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), b.caption);
        EXPECT_EQ(button->property("Tag"), b.tag) << b.name;
        EXPECT_EQ(button->isEnabled(), b.enabled) << b.name;
        EXPECT_TRUE(button->autoRaise()) << b.name;
        EXPECT_EQ(button->size(), QSize(49, 22)) << b.name;
        EXPECT_TRUE(button->font().bold());
        EXPECT_EQ(button->font().pixelSize(), 13);
        EXPECT_GT(button->x(), left);
        left = button->x();
    }

    QTableView* list = pc.List();
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    const std::pair<const char*, int> columns[] = {{"債権者の名称", 130}, {"債務者", 130}, {"件数", 70}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), columns[c].first);
        EXPECT_EQ(list->horizontalHeader()->sectionSize(c), columns[c].second);
    }
    // The list keeps its distance to the bottom when the window grows.
    const int listHeight = list->height();
    window.resize(window.width(), window.height() + 100);
    QTRY_COMPARE(list->height(), listHeight + 100);

    // Every control can be found by a screen reader.
    ExpectEveryNamedControlHasAnAccessibleName(window);
}

TEST_F(MainWindowTest, MenusHoldTheirItemsAndSeparatorsInOrder) {
    TKorvalen01F& window = pc.Open();
    // "-" stands for a separator.
    const std::pair<const char*, std::vector<std::string>> menus[] = {
        {"File1", {"ファイル(&F)", "B1 データのバックアップ＆復元(&B)...", "-", "X1 終了(&X)"}},
        {"M1",
         {"保守(&E)", "B2 ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定(&B)...", "K1 環境設定(&K)...", "H1 日付入力方式の設定(&H)...", "-",
          "C1 データの複製を作る(&C)"}},
        {"Help1",
         {"ヘルプ(&H)", "C2 目次(&C)", "-", "U1 プログラムのアップデート(&U)...",
          "N8 プログラムのアップデート要否の確認を行う(&N)", "-", "K2 機能説明書のダウンロード(&K)", "-",
          "objectVEXMailMenuTMenuItem1 VEX へのメール(&M)", "H3 カドレアソフトのホームページ(&H)", "-",
          "A1 バージョン情報(&A)..."}},
    };
    std::vector<std::string> barOrder;
    for (QAction* top : window.menuBar()->actions()) barOrder.push_back(top->menu()->objectName().toStdString());
    EXPECT_EQ(barOrder, (std::vector<std::string>{"File1", "M1", "Help1"}));
    for (const auto& [name, expected] : menus) {
        auto* menu = window.findChild<QMenu*>(name);
        ASSERT_NE(menu, nullptr) << name;
        std::vector<std::string> seen{menu->title().toStdString()};
        for (QAction* action : menu->actions()) {
            seen.push_back(
                action->isSeparator() ? "-" : action->objectName().toStdString() + " " + action->text().toStdString());
        }
        EXPECT_EQ(seen, expected) << name;
    }
}

TEST_F(MainWindowTest, EmptyDatabaseGivesTheNewCaseNumberZeroShownAsNotEntered) {
    pc.Open();
    EXPECT_TRUE(pc.Rows().empty());
    pc.wizard.next = SavesNewCase(pc, "", "", 0);
    pc.Click("AddBtn1");
    ASSERT_EQ(pc.wizard.runs.size(), 1u);
    EXPECT_EQ(pc.wizard.runs[0].opening, WizardOpening::New);
    EXPECT_EQ(pc.wizard.runs[0].seq, 0);
    EXPECT_EQ(pc.Rows(), (std::vector<std::string>{"未入力(0)|未入力|0"}));
    EXPECT_EQ(pc.window->property("Tag"), 0);
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(MainWindowTest, NewAndDuplicateBothTakeTheNumberOfADeletedLastCase) {
    pc.StoreCase(0, "アコム", "山田太郎", 3);
    pc.StoreCase(1, "プロミス", "佐藤花子", 2);
    pc.StoreCase(2, "レイク", "鈴木一郎", 1);
    pc.Open();
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 1, 2}));

    pc.ClickRow(2);
    pc.messages.QueueAnswer(Answer::Ok);
    pc.Click("DelBtn1");
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 1}));

    pc.Click("AddBtn1");  // the wizard is cancelled
    ASSERT_EQ(pc.wizard.runs.size(), 1u);
    EXPECT_EQ(pc.wizard.runs[0].seq, 2);

    pc.ClickRow(0);
    pc.Choose("C1");
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(pc.Rows()[2], "アコム(コピー)|山田太郎(コピー)|3");
}

TEST_F(MainWindowTest, SelectionDecidesWhatTheButtonsOffer) {
    for (int i = 0; i < 4; ++i) pc.StoreCase(i, "債権者" + std::to_string(i), "債務者", i);
    pc.Open();
    const struct {
        std::vector<int> rows;
        bool refer, change, remove;
    } cases[] = {
        {{}, false, false, false},
        {{1}, true, true, true},
        {{0, 2}, false, false, true},
        {{0, 1, 3}, false, false, true},
    };
    for (const auto& c : cases) {
        pc.List()->clearSelection();
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            pc.ClickRow(c.rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
        EXPECT_EQ(pc.Button("RefBtn1")->isEnabled(), c.refer) << c.rows.size();
        EXPECT_EQ(pc.Button("UpBtn1")->isEnabled(), c.change) << c.rows.size();
        EXPECT_EQ(pc.Button("DelBtn1")->isEnabled(), c.remove) << c.rows.size();
    }
}

TEST_F(MainWindowTest, DeletingThreeSelectedRowsRemovesTheirCasesWithAllEntries) {
    for (int i = 0; i < 5; ++i) pc.StoreCase(i, "債権者" + std::to_string(i), "債務者", 4);
    pc.Open();
    pc.ClickRow(1);
    pc.ClickRow(3, Qt::ControlModifier);
    pc.ClickRow(4, Qt::ControlModifier);

    // Cancel keeps everything.
    pc.messages.QueueAnswer(Answer::Cancel);
    pc.Click("DelBtn1");
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].text, "このﾃﾞｰﾀを削除してもよろしいですか？");
    EXPECT_EQ(pc.messages.Shown()[0].type, MessageType::Confirmation);
    EXPECT_EQ(pc.messages.Shown()[0].buttons, Buttons::OkCancel);

    pc.messages.QueueAnswer(Answer::Ok);
    pc.Click("DelBtn1");
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 2}));
    const std::vector<storage::CaseListRow> stored = storage::ListCases(pc.db.TableDatabase1());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].seq, 2);
    tablestore::Table entries(pc.db.TableDatabase1(), "SinseiT32");
    entries.open();
    for (std::int32_t gone : {1, 3, 4}) {
        EXPECT_FALSE(storage::LoadCase(pc.db.TableDatabase1(), gone)) << gone;
        entries.setRange({engine::kCaseCode, gone});
        EXPECT_EQ(entries.recordCount(), 0) << gone;
    }
    entries.setRange({engine::kCaseCode, 2});
    EXPECT_EQ(entries.recordCount(), 4);
    EXPECT_FALSE(pc.Button("DelBtn1")->isEnabled());
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(MainWindowTest, DuplicateAddsTheCopyNamesWithTheSameCountAndNeedsASelectedRow) {
    pc.StoreCase(0, "アコム", "山田太郎", 5);
    pc.StoreCase(1, "", "", 2);
    pc.Open();

    pc.Choose("C1");  // nothing selected: nothing happens
    EXPECT_TRUE(pc.messages.Shown().empty());
    EXPECT_EQ(storage::ListCases(pc.db.TableDatabase1()).size(), 2u);

    pc.ClickRow(0);
    pc.ClickRow(1, Qt::ControlModifier);  // the first selected row is the one copied
    pc.Choose("C1");
    EXPECT_EQ(pc.Texts(), (std::vector<std::string>{"複製完了！"}));
    EXPECT_EQ(pc.Rows(), (std::vector<std::string>{"アコム|山田太郎|5", "未入力(1)|未入力|2",
                                                   "アコム(コピー)|山田太郎(コピー)|5"}));
    const auto copy = storage::LoadCase(pc.db.TableDatabase1(), 2);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->history.size(), 5u);
}

TEST_F(MainWindowTest, AFailedDuplicateRebuildsTheListAndReportsTheError) {
    // 34 bytes of Shift-JIS: with "(コピー)" 42, more than the column's 40.
    pc.StoreCase(0, "債権者名がちょうど四十バイトの長さ", "山田", 1);
    pc.Open();
    pc.StoreCase(5, "ほかのパソコン", "で保存", 0);  // the list does not know it yet
    pc.ClickRow(0);
    pc.Choose("C1");
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_NE(pc.messages.Shown()[0].text.find("(コピー)"), std::string::npos) << pc.messages.Shown()[0].text;
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 5}));
    EXPECT_EQ(storage::ListCases(pc.db.TableDatabase1()).size(), 2u);
}

TEST_F(MainWindowTest, CancellingTheWizardLeavesTheList) {
    pc.StoreCase(0, "アコム", "山田太郎", 3);
    pc.Open();
    const std::vector<std::string> before = pc.Rows();
    const std::pair<const char*, WizardOpening> buttons[] = {
        {"AddBtn1", WizardOpening::New}, {"UpBtn1", WizardOpening::Change}, {"RefBtn1", WizardOpening::Reference}};
    for (const auto& [button, opening] : buttons) {
        pc.ClickRow(0);
        pc.wizard.next = [](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI&) {
            WizardOutcome cancelled;
            cancelled.creditor = "入力途中";
            return cancelled;
        };
        pc.Click(button);
        EXPECT_EQ(pc.wizard.runs.back().opening, opening);
        EXPECT_EQ(pc.Rows(), before) << button;
    }
    // 完了 in a reference that stayed a reference saved nothing either.
    pc.wizard.next = [](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI&) {
        WizardOutcome outcome = Finished("別の名前", "", 9);
        outcome.savedMode = false;
        return outcome;
    };
    pc.Click("RefBtn1");
    EXPECT_EQ(pc.Rows(), before);
}

TEST_F(MainWindowTest, AChangedCaseUpdatesItsRowInPlace) {
    for (int i = 0; i < 3; ++i) pc.StoreCase(i, "債権者" + std::to_string(i), "債務者" + std::to_string(i), 1);
    pc.Open();
    const std::pair<const char*, WizardOpening> buttons[] = {{"UpBtn1", WizardOpening::Change},
                                                             {"RefBtn1", WizardOpening::Reference}};
    for (const auto& [button, opening] : buttons) {
        pc.ClickRow(1);
        pc.wizard.next = [&](WizardOpening seen, const wizard::T_SAIKEN_DATA_REC_NINI& handle) {
            EXPECT_EQ(seen, opening);
            EXPECT_EQ(handle.SEQ, 1);
            EXPECT_EQ(pc.window->property("Tag"), static_cast<int>(opening));
            // A reference switched to a change inside the wizard saves too.
            return Finished(seen == WizardOpening::Change ? "" : "新しい債権者", "新しい債務者", 1234);
        };
        pc.Click(button);
        EXPECT_EQ(pc.window->property("Tag"), 0);
    }
    EXPECT_EQ(pc.Rows(),
              (std::vector<std::string>{"債権者0|債務者0|1", "新しい債権者|新しい債務者|1,234", "債権者2|債務者2|1"}));
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 1, 2}));
}

TEST_F(MainWindowTest, ANewCaseStoredUnderAnotherNumberKeepsThatNumberInItsRow) {
    pc.StoreCase(0, "アコム", "山田太郎", 1);
    pc.Open();
    pc.StoreCase(1, "ほかのパソコン", "", 0);  // takes the number the list offers next
    pc.wizard.next = [&](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI& handle) {
        EXPECT_EQ(handle.SEQ, 1);
        return Finished("", "山田花子", 2, 2);
    };
    pc.Click("AddBtn1");
    EXPECT_EQ(pc.Rows().back(), "未入力(2)|山田花子|2");
    EXPECT_EQ(pc.ListedSeqs().back(), 2);
}

TEST_F(MainWindowTest, AWizardThatDeletedTheCaseTakesItsRowAway) {
    for (int i = 0; i < 3; ++i) pc.StoreCase(i, "債権者" + std::to_string(i), "債務者", 1);
    pc.Open();
    pc.ClickRow(1);
    pc.wizard.next = [&](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI& handle) {
        storage::DeleteCase(pc.db.TableDatabase1(), handle.SEQ);
        WizardOutcome outcome;
        outcome.deleted = true;
        return outcome;
    };
    pc.Click("UpBtn1");
    EXPECT_EQ(pc.ListedSeqs(), (std::vector<std::int32_t>{0, 2}));
}

TEST_F(MainWindowTest, NoNewCaseOnceTheCaseNumbersAreUsedUp) {
    pc.StoreCase(storage::kHighestSeq, "最後の番号", "", 0);
    pc.Open();
    pc.Click("AddBtn1");
    EXPECT_TRUE(pc.wizard.runs.empty());
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_NE(pc.messages.Shown()[0].text.find("32,767"), std::string::npos);
    EXPECT_EQ(pc.window->property("Tag"), 0);
}

TEST_F(MainWindowTest, TheHandlersDecisionsAreCarriedOut) {
    const struct {
        const char* what;
        std::function<void()> raise;
        bool fileMenuEnabled;
        std::optional<int> end;
        const char* message;
    } cases[] = {
        {"path not found",
         [] { throw tablestore::EngineError(tablestore::codes::PathNotFound, ""); },
         false,
         {},
         "【データベースフォルダ】へのＰＡＴＨ違反です。"},
        {"sharing violation",
         [] { throw tablestore::EngineError(tablestore::codes::SharingViolation, ""); },
         true,
         {},
         "【共有違反です】"},
        {"disk full", [] { throw tablestore::EngineError(tablestore::codes::DiskFull, ""); }, true, 0,
         "【ディスク容量が足りません】"},
        {"a message that ended the program", [] { throw platform::EndProgram("told", 3); }, true, 3, nullptr},
    };
    for (const auto& c : cases) {
        ShellPc one;
        one.Open();
        one.wizard.next = [&](WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI&) -> WizardOutcome {
            c.raise();
            return {};
        };
        one.Click("AddBtn1");
        EXPECT_EQ(one.window->findChild<QMenu*>("File1")->menuAction()->isEnabled(), c.fileMenuEnabled) << c.what;
        EXPECT_EQ(KorvalenApplication::Instance()->TakeEndRequest(), c.end) << c.what;
        if (c.message != nullptr) {
            ASSERT_EQ(one.messages.Shown().size(), 1u) << c.what;
            EXPECT_EQ(one.messages.Shown()[0].text.rfind(c.message, 0), 0u) << one.messages.Shown()[0].text;
        }
        EXPECT_EQ(one.window->property("Tag"), 0) << c.what;
        // The window works on after an error it survives.
        if (!c.end) {
            one.wizard.next = SavesNewCase(one, "アコム", "", 1);
            one.Click("AddBtn1");
            EXPECT_EQ(one.Rows(), (std::vector<std::string>{"アコム|未入力|1"})) << c.what;
        }
    }
}

TEST_F(MainWindowTest, ThisPcIsRegisteredWhenTheWindowIsFirstShown) {
    TKorvalen01F window(pc.Services(), pc.wizard);
    window.FormCreate();
    EXPECT_TRUE(storage::ListPcs(pc.db.TableDatabase1()).empty());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto pcs = storage::ListPcs(pc.db.TableDatabase1());
    ASSERT_EQ(pcs.size(), 1u);
    EXPECT_EQ(pcs[0].pcName, "PC-A");
    EXPECT_FALSE(pcs[0].client);
}

TEST_F(MainWindowTest, MenuItemsOpenTheirPagesOrSayWhatThisBuildLacks) {
    pc.Open();
    const struct {
        const char* action;
        std::string opened;  // the address handed to the desktop, if any
        std::string message;
    } cases[] = {
        {"C2", "file://" + pc.programFolder + "help/index.html", ""},
        {"K2", kManualDownloadPage, ""},
        {"H3", kHomePage, ""},
        {"U1", "", "このビルドには、プログラムのオンラインアップデート機能がありません。"},
        {"N8", "", "このビルドには、プログラムのオンラインアップデート機能がありません。"},
        {"B1", "", "「データのバックアップ＆復元」は、このビルドにはまだ含まれていません。"},
        {"B2", "", "「ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定」は、このビルドにはまだ含まれていません。"},
        {"K1", "", "「環境設定」は、このビルドにはまだ含まれていません。"},
        {"H1", "", "「日付入力方式の設定」は、このビルドにはまだ含まれていません。"},
    };
    for (const auto& c : cases) {
        pc.links.opened.clear();
        const std::size_t shown = pc.messages.Shown().size();
        pc.Choose(c.action);
        if (!c.opened.empty()) {
            ASSERT_EQ(pc.links.opened.size(), 1u) << c.action;
            EXPECT_EQ(pc.links.opened[0].toString().toStdString(), c.opened) << c.action;
        } else {
            EXPECT_TRUE(pc.links.opened.empty()) << c.action;
        }
        if (c.message.empty()) {
            EXPECT_EQ(pc.messages.Shown().size(), shown) << c.action;
        } else {
            ASSERT_EQ(pc.messages.Shown().size(), shown + 1) << c.action;
            EXPECT_EQ(pc.messages.Shown().back().text.rfind(c.message, 0), 0u) << pc.messages.Shown().back().text;
        }
    }

    // The desktop without a browser: the user is told.
    pc.links.works = false;
    pc.Choose("H3");
    EXPECT_EQ(pc.messages.Shown().back().text, "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。\r\n\r\nError = 2");
    EXPECT_EQ(pc.messages.Shown().back().type, MessageType::Warning);
    EXPECT_TRUE(pc.messages.Faults().empty());
}

TEST_F(MainWindowTest, TheSupportMailNamesTheVersionAndThisSystem) {
    pc.Open();
    pc.Choose("objectVEXMailMenuTMenuItem1");
    ASSERT_EQ(pc.links.opened.size(), 1u);
    const QUrl mail = pc.links.opened[0];
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), "support@example.jp");
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "【引直計算】問い合わせ");
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded).toStdString(),
              "Program Version＝" + platform::ProgramFileVersion() +
                  "\r\nWindowsの種類＝Debian GNU/Linux 12 (bookworm)\r\n*******問い合わせの内容をご記入下さい*******");
    // A name with the query's own signs in it stays in the body.
    ShellServices services = pc.Services();
    services.operatingSystem = "A&B=C #1";
    TKorvalen01F window(services, pc.wizard);
    const QString body = QUrlQuery(window.SupportMailUrl()).queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains("Windowsの種類＝A&B=C #1\r\n")) << body.toStdString();
}

TEST_F(MainWindowTest, DialogsComeFromTheirFactoriesTheBackupOneWithTheDatabaseDisconnected) {
    ShellDialogs dialogs;
    bool connectedDuringBackup = true;
    QPointer<QDialog> backup;
    dialogs.backupRestore = [&](TKorvalen01F& window) {
        auto dialog = std::make_unique<QDialog>(&window);
        backup = dialog.get();
        QTimer::singleShot(0, dialog.get(), [&, d = dialog.get()] {
            connectedDuringBackup = pc.db.TableDatabase1().connected();
            // A restore brings other cases and asks the window to rebuild.
            pc.StoreCase(7, "復元した", "事件", 2);
            window.RefreshCaseList();
            d->accept();
        });
        return dialog;
    };
    int optionsShown = 0;
    dialogs.options = [&](TKorvalen01F& window) {
        auto dialog = std::make_unique<QDialog>(&window);
        QTimer::singleShot(0, dialog.get(), [&, d = dialog.get()] {
            ++optionsShown;
            EXPECT_TRUE(d->isModal());
            d->reject();
        });
        return dialog;
    };
    pc.Open(std::move(dialogs));
    pc.Choose("B1");
    EXPECT_FALSE(connectedDuringBackup);
    EXPECT_TRUE(backup.isNull());  // destroyed after its modal run
    EXPECT_EQ(pc.Rows(), (std::vector<std::string>{"復元した|事件|2"}));
    pc.Choose("K1");
    EXPECT_EQ(optionsShown, 1);
    EXPECT_TRUE(pc.messages.Shown().empty());
}

TEST_F(MainWindowTest, AboutItemAndEndButtonDoWhatTheySay) {
    TKorvalen01F& window = pc.Open();
    bool aboutShown = false;
    AnswerModal<TKorvABF>([&](TKorvABF* about) {
        aboutShown = true;
        about->reject();
    });
    pc.Choose("A1");
    EXPECT_TRUE(aboutShown);

    QTest::mouseClick(window.findChild<QPushButton*>("BitBtn5"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace korvalen::shell
