// The input wizard driven through its pages with clicks and typed keys: the
// page orders, Back, the checks made when a page is left, the openings of
// the main window, the calculations, the save and the deletion.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <ostream>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/wizard/history_grid.h"
#include "korvalen/wizard/num_edit.h"
#include "wizard_fixture.h"

namespace korvalen::wizard {
namespace {

using engine::DayNumberFromCivil;
using fixtures::ExampleHeader;
using fixtures::WizardPc;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr const char* kNext = "次へ(&N) >";

// --- Page orders and Back ----------------------------------------------

struct OrderCase {
    const char* name;
    const char* startDigits;  // picked on the start-date page; nullptr: none
    std::vector<int> pages;   // from the start page to the recalculation
    int backFromRates;        // where Back leads from the rates page
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class WizardOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(WizardOrder, NewCaseRunsThroughItsPagesGoesBackFromTheRatesPageAndSavesAtFinish) {
    const OrderCase& c = GetParam();
    WizardPc f;
    TTavo50AF& wizard = f.Fresh(4);
    EXPECT_FALSE(f.Find<QAbstractButton>("BackBtn")->isEnabled());

    std::vector<int> seen{f.Page()};
    std::vector<QString> captions{f.Caption("NextBtn")};
    const auto next = [&] {
        f.Next();
        seen.push_back(f.Page());
        captions.push_back(f.Caption("NextBtn"));
    };
    next();
    f.TypeInto("LabeledEdit1", QStringLiteral("Acom"));
    f.TypeInto("LabeledEdit2", QStringLiteral("Yamada"));
    next();
    if (c.startDigits != nullptr) {
        f.datePicker.Answer(c.startDigits);
        f.Click("StartDayBtn");
    }
    next();
    if (c.startDigits != nullptr) next();
    ASSERT_EQ(f.Page(), kRatesPage);
    f.Back();
    EXPECT_EQ(f.Page(), c.backFromRates);
    f.Next();
    ASSERT_EQ(f.Page(), kRatesPage);
    f.TypeInto("NumEdit10", QStringLiteral("29.2"));
    next();
    f.TypeRow(1, QStringLiteral("060310"), QStringLiteral("50000"), QStringLiteral("0"));
    next();
    next();

    EXPECT_EQ(seen, c.pages);
    ASSERT_EQ(captions.size(), c.pages.size());
    for (std::size_t i = 0; i + 1 < captions.size(); ++i) EXPECT_EQ(captions[i], QString::fromUtf8(kNext)) << i;
    EXPECT_EQ(captions.back(), QStringLiteral("完了"));
    EXPECT_TRUE(f.Find<QAbstractButton>("BackBtn")->isEnabled());

    f.Next();
    EXPECT_EQ(wizard.result(), kWizardFinished);
    const WizardOutcome outcome = wizard.Outcome();
    EXPECT_TRUE(outcome.savedMode);
    EXPECT_EQ(outcome.seq, 4);
    EXPECT_EQ(outcome.creditor, "Acom");
    EXPECT_EQ(outcome.entryCount, 1);
    const auto stored = f.Stored(4);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->header.GYOSYA_NAME, "Acom");
    EXPECT_EQ(stored->header.NAME, "Yamada");
    EXPECT_EQ(stored->header.RIRITSU, 29.2);
    EXPECT_EQ(stored->header.START_DAY, c.startDigits ? DayNumberFromCivil(2006, 1, 1) : 0);
    ASSERT_EQ(stored->history.size(), 1u);
    EXPECT_EQ(stored->history[0]->date, DayNumberFromCivil(2006, 3, 10));
    EXPECT_EQ(stored->history[0]->borrowing, 50000);
    EXPECT_EQ(stored->history[0]->rate, 292000);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, WizardOrder,
    ::testing::Values(OrderCase{"WithoutStartDate", nullptr, {0, 1, 6, 2, 3, 4, 5}, kStartDatePage},
                      OrderCase{"WithStartDate", "20060101", {0, 1, 6, 7, 2, 3, 4, 5}, kStartBalancePage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WizardNewCase, TakesTheNextFreeNumberWhenAnotherPcStoredACaseUnderTheOfferedOne) {
    WizardPc f;
    TTavo50AF& wizard = f.Fresh(0);
    f.StoreCase(ExampleHeader(0));  // another PC, meanwhile
    f.NextUntil(kRatesPage);
    f.TypeInto("NumEdit10", QStringLiteral("18"));
    f.Next();
    f.TypeRow(1, QStringLiteral("050110"), QStringLiteral("100000"), QStringLiteral("0"));
    f.NextUntil(kRecalculationPage);
    f.Next();
    EXPECT_EQ(wizard.Outcome().seq, 1);
    EXPECT_EQ(f.Stored(0)->header.GYOSYA_NAME, "アコム株式会社");
    EXPECT_EQ(f.Stored(1)->history.size(), 1u);
}

// --- The checks made when a page is left -------------------------------

TEST(WizardChecks, AnEmptyRateKeepsTheRatesPageWithTheFocusOnTheRate) {
    WizardPc f;
    f.Fresh();
    f.NextUntil(kRatesPage);
    f.Find<QComboBox>("KeisanG")->setFocus();
    f.Next();
    EXPECT_EQ(f.Page(), kRatesPage);
    ASSERT_EQ(f.pc.messages.Shown().size(), 1u);
    EXPECT_EQ(f.pc.messages.Shown()[0].text, "【利率】が未入力です。");
    EXPECT_EQ(f.pc.messages.Shown()[0].type, MessageType::Warning);
    EXPECT_EQ(f.pc.messages.Shown()[0].buttons, Buttons::Ok);
    EXPECT_EQ(QApplication::focusWidget(), f.Find("NumEdit10"));
}

TEST(WizardChecks, AnEmptyHistoryKeepsTheHistoryPageAndRunsNoCalculation) {
    WizardPc f;
    f.Fresh();
    f.NextUntil(kRatesPage);
    f.TypeInto("NumEdit10", QStringLiteral("18"));
    f.Next();
    ASSERT_EQ(f.Page(), kHistoryPage);
    f.Next();
    EXPECT_EQ(f.Page(), kHistoryPage);
    EXPECT_THAT(f.Texts(), ElementsAre("【借入・返済履歴データ】が未入力です。\r\n履歴データの入力を行って下さい。"));
    EXPECT_EQ(f.pc.messages.Shown()[0].type, MessageType::Warning);
    EXPECT_EQ(f.TableText("StringGrid1", 1, engine::kColDate), QString());
}

struct ConflictCase {
    const char* name;
    Answer answer;
    int pageAfter;
    std::size_t entriesAfter;
};
void PrintTo(const ConflictCase& c, std::ostream* os) { *os << c.name; }

class WizardStartDateConflict : public ::testing::TestWithParam<ConflictCase> {};

TEST_P(WizardStartDateConflict, AStartDateAfterTheFirstEntryOffersToEmptyTheHistory) {
    const ConflictCase& c = GetParam();
    WizardPc f;
    f.StoreCase(ExampleHeader(3));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 3);
    f.Next();
    ASSERT_EQ(f.Page(), kStartDatePage);
    f.datePicker.Answer("20050201");
    f.Click("StartDayBtn");
    f.pc.messages.QueueAnswer(c.answer);
    f.Next();

    ASSERT_EQ(f.pc.messages.Shown().size(), 1u);
    const platform::ShownMessage& question = f.pc.messages.Shown()[0];
    EXPECT_EQ(question.text,
              "【１件目返済日(2005年1月10日)】よりも後の[計算開始年月日]は処理できません。\r\n"
              "入力済の[返済履歴データ]を消去しますか？");
    EXPECT_EQ(question.type, MessageType::Warning);
    EXPECT_EQ(question.buttons, Buttons::YesCancel);
    EXPECT_EQ(f.Page(), c.pageAfter);
    EXPECT_EQ(wizard.History().size(), c.entriesAfter);
    if (c.answer == Answer::Yes) {
        f.NextUntil(kHistoryPage);
        EXPECT_EQ(f.GridText(kDateCol, 1), QString());
        EXPECT_EQ(f.Find<TNumEdit>("NumEdit5")->text(), QStringLiteral("0"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, WizardStartDateConflict,
                         ::testing::Values(ConflictCase{"Cancel", Answer::Cancel, kStartDatePage, 3},
                                           ConflictCase{"Yes", Answer::Yes, kStartBalancePage, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Openings, the calculations and what the main window learns ------------

TEST(WizardReference, OpensOnTheLendersTableShowsTheRecalculationAndFinishesWithoutASave) {
    WizardPc f;
    f.StoreCase(ExampleHeader(2));
    TTavo50AF& wizard = f.Opened(WizardOpening::Reference, 2);
    EXPECT_EQ(f.Page(), kLenderPage);
    EXPECT_FALSE(f.Find<QAbstractButton>("BackBtn")->isEnabled());
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_FALSE(f.Find<QRadioButton>("RadioButton6")->isEnabled());
    const auto lender = [&](int row, int col) { return f.TableText("StringGrid1", row, col); };
    EXPECT_EQ(lender(2, engine::kColInterest), QStringLiteral("7,440"));
    EXPECT_EQ(lender(3, engine::kColInterest), QStringLiteral("6,438"));
    EXPECT_EQ(lender(3, engine::kColBalance), QStringLiteral("273,878"));

    f.Next();
    ASSERT_EQ(f.Page(), kRecalculationPage);
    EXPECT_EQ(f.Caption("NextBtn"), QStringLiteral("完了"));
    const auto recalc = [&](int row, int col) { return f.TableText("StringGrid3", row, col); };
    EXPECT_EQ(recalc(1, engine::kColRate), QStringLiteral("18.000"));
    EXPECT_EQ(recalc(2, engine::kColInterest), QStringLiteral("4,586"));
    EXPECT_EQ(recalc(3, engine::kColBalance), QStringLiteral("268,515"));
    EXPECT_EQ(f.Find<QLabel>("ClaimSummary")->text(), QStringLiteral("残元金　268,515円"));

    f.Back();
    EXPECT_EQ(f.Page(), kLenderPage);
    EXPECT_EQ(f.Caption("NextBtn"), QString::fromUtf8(kNext));
    EXPECT_FALSE(f.Find<QAbstractButton>("BackBtn")->isEnabled());

    f.Next();
    f.Find<QLineEdit>("LabeledEdit1")->setText(QStringLiteral("changed"));
    f.Next();
    EXPECT_EQ(wizard.result(), kWizardFinished);
    EXPECT_FALSE(wizard.Outcome().savedMode);
    EXPECT_EQ(f.Stored(2)->header.GYOSYA_NAME, "アコム株式会社");
}

TEST(WizardChange, AChangeFromTheNamesPageIsSavedAtFinish) {
    WizardPc f;
    f.StoreCase(ExampleHeader(1));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 1);
    EXPECT_EQ(f.Page(), kNamesPage);
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton4")->isChecked());
    EXPECT_EQ(f.Find<QLineEdit>("LabeledEdit2")->text(), QStringLiteral("山田太郎"));
    f.Find<QLineEdit>("LabeledEdit1")->clear();
    f.TypeInto("LabeledEdit1", QStringLiteral("Promise"));
    f.NextUntil(kRatesPage);
    f.Find<TNumEdit>("NumEdit10")->setFocus();
    f.Press(Qt::Key_Delete);
    f.Type(QStringLiteral("18"));
    f.NextUntil(kRecalculationPage);
    f.Next();

    EXPECT_EQ(wizard.result(), kWizardFinished);
    const WizardOutcome outcome = wizard.Outcome();
    EXPECT_TRUE(outcome.savedMode);
    EXPECT_EQ(outcome.creditor, "Promise");
    EXPECT_EQ(outcome.debtor, "山田太郎");
    EXPECT_EQ(outcome.entryCount, 3);
    const auto stored = f.Stored(1);
    EXPECT_EQ(stored->header.GYOSYA_NAME, "Promise");
    EXPECT_EQ(stored->header.RIRITSU, 18.0);
    EXPECT_EQ(stored->history.size(), 3u);
}

struct LeaveCase {
    const char* name;
    void (*leave)(WizardPc&);
};
void PrintTo(const LeaveCase& c, std::ostream* os) { *os << c.name; }

class WizardLeftUnfinished : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(WizardLeftUnfinished, IsCancelledAndSavesNothing) {
    WizardPc f;
    f.StoreCase(ExampleHeader(1));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 1);
    f.Find<QLineEdit>("LabeledEdit1")->setText(QStringLiteral("changed"));
    f.NextUntil(kRecalculationPage);
    GetParam().leave(f);
    EXPECT_FALSE(wizard.isVisible());
    EXPECT_EQ(wizard.Outcome().modalResult, kWizardCancelled);
    EXPECT_EQ(f.Stored(1)->header.GYOSYA_NAME, "アコム株式会社");
}

INSTANTIATE_TEST_SUITE_P(Ways, WizardLeftUnfinished,
                         ::testing::Values(LeaveCase{"Cancel", [](WizardPc& f) { f.Click("CancelBtn"); }},
                                           LeaveCase{"CloseBox", [](WizardPc& f) { f.wizard->close(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DeleteCase {
    const char* name;
    Answer answer;
};
void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

class WizardDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(WizardDelete, TheStartPageBehindTheNamesPageDeletesTheCaseAfterTheQuestion) {
    WizardPc f;
    f.StoreCase(ExampleHeader(5));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 5);
    f.Back();
    ASSERT_EQ(f.Page(), kStartPage);
    QTest::mouseClick(f.Find<QRadioButton>("RadioButton5"), Qt::LeftButton);
    f.pc.messages.QueueAnswer(GetParam().answer);
    f.Next();

    ASSERT_EQ(f.pc.messages.Shown().size(), 1u);
    EXPECT_EQ(f.pc.messages.Shown()[0].text, "データを削除しますか？");
    EXPECT_EQ(f.pc.messages.Shown()[0].type, MessageType::Information);
    EXPECT_EQ(f.pc.messages.Shown()[0].buttons, Buttons::YesCancel);
    if (GetParam().answer == Answer::Yes) {
        EXPECT_EQ(wizard.result(), kWizardCancelled);
        EXPECT_TRUE(wizard.Outcome().deleted);
        EXPECT_FALSE(f.Stored(5).has_value());
    } else {
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_EQ(f.Page(), kStartPage);
        EXPECT_EQ(f.Stored(5)->history.size(), 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, WizardDelete,
                         ::testing::Values(DeleteCase{"Yes", Answer::Yes}, DeleteCase{"Cancel", Answer::Cancel}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WizardNewCase, OffersOnlyNewCreationAndLeavesTheStartPageBehindTheNamesPage) {
    WizardPc f;
    f.Opened(WizardOpening::New, 7);
    EXPECT_EQ(f.Page(), kNamesPage);
    EXPECT_EQ(QApplication::focusWidget(), f.Find("LabeledEdit1"));
    f.Back();
    EXPECT_EQ(f.Page(), kStartPage);
    EXPECT_FALSE(f.Find<QAbstractButton>("BackBtn")->isEnabled());
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton6")->isChecked());
    for (const char* other : {"RadioButton3", "RadioButton4", "RadioButton5"}) {
        EXPECT_FALSE(f.Find<QRadioButton>(other)->isEnabled()) << other;
    }
}

TEST(WizardChange, ACaseNoLongerStoredOpensEmptyAsANewOne) {
    WizardPc f;
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 9);
    EXPECT_EQ(wizard.Mode(), WizardMode::New);
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton6")->isChecked());
    EXPECT_EQ(f.Find<QLineEdit>("LabeledEdit1")->text(), QString());
    EXPECT_FALSE(f.Find<QRadioButton>("RadioButton3")->isEnabled());
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton6")->isEnabled());
}

TEST(WizardRecalculation, GoingBackToTheGridAndChangingAnEntryRecomputesBothTables) {
    WizardPc f;
    f.StoreCase(ExampleHeader(1));
    f.Opened(WizardOpening::Change, 1);
    f.NextUntil(kRecalculationPage);
    ASSERT_EQ(f.TableText("StringGrid3", 2, engine::kColBalance), QStringLiteral("284,586"));
    f.Back();
    f.Back();
    ASSERT_EQ(f.Page(), kHistoryPage);
    f.ClickCell(kRepaymentCol, 2);
    f.Type(QStringLiteral("30000"));
    f.Press(Qt::Key_Tab);
    f.Next();
    ASSERT_EQ(f.Page(), kLenderPage);
    EXPECT_EQ(f.TableText("StringGrid1", 2, engine::kColRepayment), QStringLiteral("30,000"));
    EXPECT_EQ(f.TableText("StringGrid1", 2, engine::kColBalance), QStringLiteral("277,440"));
    f.Next();
    EXPECT_EQ(f.TableText("StringGrid3", 2, engine::kColPrincipalRepaid), QStringLiteral("25,414"));
    EXPECT_EQ(f.TableText("StringGrid3", 2, engine::kColBalance), QStringLiteral("274,586"));
    EXPECT_NE(f.Find<QLabel>("ClaimSummary")->text(), QStringLiteral("残元金　268,515円"));
}

TEST(WizardRecalculation, AThreeYearPeriodUnderMethodOneWarnsAndTheWizardGoesOn) {
    WizardPc f;
    engine::CaseRecord header = ExampleHeader(1);
    header.KEISAN_KIND = 1;
    f.StoreCase(header, "2003-12-20,100000,0\n2005-01-10,0,10000\n");
    f.Opened(WizardOpening::Reference, 1);
    EXPECT_EQ(f.Page(), kLenderPage);
    EXPECT_THAT(f.Texts(), ElementsAre("３年間にまたがる計算はできません。"));
    EXPECT_EQ(f.pc.messages.Shown()[0].type, MessageType::Warning);
    EXPECT_EQ(f.TableText("StringGrid1", 2, engine::kColInterest), QStringLiteral("0"));
}

// --- Load and save of every field ----------------------------------------

TEST(WizardLoadAndSave, EveryFieldIsShownAsStoredAndSavedBackUnchanged) {
    WizardPc f;
    engine::CaseRecord header;
    header.SEQ = 6;
    header.GYOSYA_NAME = "アイフル";
    header.NAME = "鈴木一郎";
    header.BIKO = "第一審の準備書面に添付";
    header.RIRITSU = 27.375;
    header.KABARAI_RIRITSU = 6.5;
    header.START_DAY = DayNumberFromCivil(2004, 4, 1);
    header.START_KARI = 500000;
    header.HIKI_RIRITU = 1200000;
    header.KEISAN_KIND = 3;
    header.SYONITI_UMU = false;
    header.SEISAN_KIND = 1;
    header.CHECKBOX = 1;
    // The repayment was typed before the borrowing of the same day.
    engine::HistoryList history;
    history.push_back(storage::fixtures::Entry(2004, 5, 1, 0, 20000, 27.375, 0));
    history.push_back(storage::fixtures::Entry(2004, 5, 1, 50000, 0, 27.375, 1));
    history.push_back(storage::fixtures::Entry(2004, 6, 1, 0, 20000, 25, 2));
    storage::SaveCase(f.pc.db().TableDatabase1(), header, history);
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 6);

    EXPECT_EQ(f.Find<QLineEdit>("LabeledEdit1")->text(), QStringLiteral("アイフル"));
    EXPECT_EQ(f.Find<QLineEdit>("LabeledEdit3")->text(), QStringLiteral("第一審の準備書面に添付"));
    EXPECT_EQ(f.Find<TNumEdit>("NumEdit10")->text(), QStringLiteral("27.375"));
    EXPECT_EQ(f.Find<TNumEdit>("NumEdit2")->text(), QStringLiteral("6.500"));
    EXPECT_EQ(f.Find<TNumEdit>("NumEdit1")->text(), QStringLiteral("500,000"));
    EXPECT_EQ(f.Find<TNumEdit>("NumEdit3")->text(), QStringLiteral("1,200,000"));
    EXPECT_EQ(f.Find<QComboBox>("KeisanG")->currentIndex(), 3);
    EXPECT_FALSE(f.Find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_TRUE(f.Find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(f.Find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(f.Find<QLineEdit>("Edit2")->text(), QStringLiteral("平成16年04月01日"));
    EXPECT_EQ(wizard.StartDate(), header.START_DAY);

    f.NextUntil(kHistoryPage);
    // Kept in stored order: the repayment typed first stays first.
    EXPECT_EQ(f.GridText(kBorrowingCol, 1), QStringLiteral("0"));
    EXPECT_EQ(f.GridText(kRateCol, 3), QStringLiteral("25.000%"));
    f.NextUntil(kRecalculationPage);
    f.Next();

    const auto stored = f.Stored(6);
    ASSERT_TRUE(stored.has_value());
    const engine::CaseRecord& saved = stored->header;
    EXPECT_EQ(saved.GYOSYA_NAME, header.GYOSYA_NAME);
    EXPECT_EQ(saved.NAME, header.NAME);
    EXPECT_EQ(saved.BIKO, header.BIKO);
    EXPECT_EQ(saved.RIRITSU, header.RIRITSU);
    EXPECT_EQ(saved.KABARAI_RIRITSU, header.KABARAI_RIRITSU);
    EXPECT_EQ(saved.START_DAY, header.START_DAY);
    EXPECT_EQ(saved.START_KARI, header.START_KARI);
    EXPECT_EQ(saved.HIKI_RIRITU, header.HIKI_RIRITU);
    EXPECT_EQ(saved.KEISAN_KIND, header.KEISAN_KIND);
    EXPECT_EQ(saved.SYONITI_UMU, header.SYONITI_UMU);
    EXPECT_EQ(saved.SEISAN_KIND, header.SEISAN_KIND);
    EXPECT_EQ(saved.CHECKBOX, header.CHECKBOX);
    ASSERT_EQ(stored->history.size(), 3u);
    EXPECT_EQ(stored->history[0]->repayment, 20000);
    EXPECT_EQ(stored->history[2]->rate, 250000);
}

// --- Start date and calendar -------------------------------------------

struct CalendarCase {
    const char* name;
    const char* seireki;  // nullptr: not stored
    const char* edit2;
    const char* label;
    const char* tableDate;
};
void PrintTo(const CalendarCase& c, std::ostream* os) { *os << c.name; }

class WizardStartDate : public ::testing::TestWithParam<CalendarCase> {};

TEST_P(WizardStartDate, IsPickedBesideTheWizardShownInBothCalendarsKeptWhenCancelledAndCleared) {
    const CalendarCase& c = GetParam();
    WizardPc f;
    if (c.seireki != nullptr) f.pc.SetSetting("SETTING", "SEIREKI", c.seireki);
    f.StoreCase(ExampleHeader(1));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 1);
    EXPECT_EQ(f.pc.db().WesternCalendar(), c.seireki != nullptr && std::string(c.seireki) != "NO");
    f.NextUntil(kStartDatePage);

    f.datePicker.Answer("20050101");
    f.Click("StartDayBtn");
    auto* edit2 = f.Find<QLineEdit>("Edit2");
    EXPECT_EQ(edit2->text(), QString::fromUtf8(c.edit2));
    EXPECT_EQ(f.Find<QLabel>("StartDayLabel")->text(), QString::fromUtf8(c.label));
    EXPECT_EQ(wizard.StartDate(), DayNumberFromCivil(2005, 1, 1));

    QTest::mouseClick(edit2, Qt::LeftButton);  // the picker is cancelled
    EXPECT_EQ(edit2->text(), QString::fromUtf8(c.edit2));
    EXPECT_THAT(f.datePicker.askedBy, ElementsAre(&wizard, &wizard));

    f.NextUntil(kLenderPage);
    EXPECT_EQ(f.TableText("StringGrid1", 1, engine::kColDate), QString::fromUtf8(c.tableDate));
    EXPECT_EQ(f.TableText("StringGrid1", 1, engine::kColDays), QStringLiteral("9"));

    while (f.Page() != kStartDatePage) f.Back();
    f.Click("StartDayClearBtn");
    EXPECT_EQ(edit2->text(), QString());
    EXPECT_EQ(f.Find<QLabel>("StartDayLabel")->text(), QString());
    f.Next();
    EXPECT_EQ(f.Page(), kRatesPage);
}

INSTANTIATE_TEST_SUITE_P(
    Calendars, WizardStartDate,
    ::testing::Values(CalendarCase{"EraWhenNotStored", nullptr, "平成17年01月01日", "（2005年01月01日）", "平17/01/10"},
                      CalendarCase{"EraWhenNo", "NO", "平成17年01月01日", "（2005年01月01日）", "平17/01/10"},
                      CalendarCase{"WesternWhenYes", "YES", "2005年01月01日", "（平成17年01月01日）", "05/01/10"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Keys ----------------------------------------------------------------

TEST(WizardKeys, EnterMovesTheFocusOnEveryPageButTheGridsWhichTakesItItself) {
    WizardPc f;
    f.StoreCase(ExampleHeader(1));
    TTavo50AF& wizard = f.Opened(WizardOpening::Change, 1);
    ASSERT_EQ(QApplication::focusWidget(), f.Find("LabeledEdit1"));
    f.Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.Find("LabeledEdit2"));
    EXPECT_TRUE(wizard.isVisible());

    f.NextUntil(kHistoryPage);
    EXPECT_FALSE(wizard.EnterMovesFocus());
    f.ClickCell(kDateCol, 2);
    f.Press(Qt::Key_Return);
    EXPECT_EQ(f.Grid()->currentIndex(), f.Grid()->GridModel()->IndexOf({kBorrowingCol, 2}));
    EXPECT_EQ(QApplication::focusWidget(), f.Grid());
    f.Find("CheckBox3")->setFocus();
    f.Press(Qt::Key_Return);  // presses no button of the page
    EXPECT_THAT(f.Texts(), IsEmpty());

    f.Back();
    EXPECT_TRUE(wizard.EnterMovesFocus());
    ASSERT_EQ(QApplication::focusWidget(), f.Find("NumEdit10"));
    f.Press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.Find("KeisanG"));

    // Escape would drop everything typed; the wizard stays.
    f.Press(Qt::Key_Escape);
    EXPECT_TRUE(wizard.isVisible());
}

// --- Accessibility -----------------------------------------------------------

TEST(WizardAccessibility, EveryControlOfEveryPageHasAName) {
    WizardPc f;
    TTavo50AF& wizard = f.Fresh();
    std::vector<std::string> unnamed;
    for (QWidget* widget : wizard.findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) == 0 && qobject_cast<QAbstractButton*>(widget) == nullptr) continue;
        // The parts Qt makes inside a view or a combo box's popup are not
        // the form's controls.
        if (widget->window() != &wizard || qobject_cast<QAbstractItemView*>(widget->parentWidget()) != nullptr)
            continue;
        if (widget->accessibleName().isEmpty()) {
            unnamed.push_back(widget->metaObject()->className() + std::string(" ") +
                              widget->objectName().toStdString());
        }
    }
    EXPECT_THAT(unnamed, IsEmpty());
}

}  // namespace
}  // namespace korvalen::wizard
