#include "korvalen/wizard/nen4_form.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <optional>

#include "korvalen/engine/dates.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/date_input_library.h"
#include "scripted_date_input.h"

namespace korvalen::wizard {
namespace {

using platform::Answer;

constexpr const char* kQuestion = "内容が変更されています。設定しますか？";

// The window over a temporary settings file, a scripted library and
// scripted messages, shown and active.
class Nen4Test : public ::testing::Test {
protected:
    testsupport::TempFolder folder{"nen4"};
    platform::IniSettingsStore settings{folder.path().string()};
    platform::ScriptedMessages messages;
    platform::FixedClock clock{static_cast<std::int32_t>(engine::DayNumberFromCivil(2024, 5, 3))};
    fixtures::ScriptedDateInput library;
    const std::string key = platform::ProgramKey();
    std::optional<TNEN4F> window;

    void Store(const char* name, const char* value) { settings.Write(key, kCalendarSection, name, value); }
    std::string Stored(const char* name) const { return settings.Read(key, kCalendarSection, name, "(none)"); }

    TNEN4F& Open() {
        window.emplace(settings, messages, clock, library);
        window->move(200, 100);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&*window));
        return *window;
    }
    template <typename T>
    T* Find(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QRadioButton* Radio(int n) { return Find<QRadioButton>(("RadioButton" + std::to_string(n)).c_str()); }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    void TearDown() override { EXPECT_TRUE(messages.Faults().empty()); }
};

TEST_F(Nen4Test, LaysOutEveryControlWithItsCaptionHintAndName) {
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("日付入力方式の設定"));
    EXPECT_EQ(window->size(), QSize(401, 184));
    struct Control {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Control controls[] = {
        {"BackBtn", "閉じる(&C)", "画面を閉じる"},
        {"SetBtn", "設定(&S)", ""},
        {"RadioButton1", "カレンダー入力", ""},
        {"RadioButton2", "キーボード入力", ""},
        {"RadioButton3", "前回入力値の翌月を表示", "カレンダーで前回入力日の翌月を表示"},
        {"RadioButton4", "常に本日を表示", "カレンダーで今日の属する月を表示"},
        {"RadioButton5", "和暦で入力", "450207（昭和45年2月7日）"},
        {"RadioButton6", "西暦で入力", "19700207（1970年2月7日）"},
        {"Test1Btn", "ﾃｽﾄ表示", "ｸﾘｯｸでｶﾚﾝﾀﾞｰが開きます"},
    };
    for (const Control& c : controls) {
        auto* button = Find<QAbstractButton>(c.name);
        if (button == nullptr) continue;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(c.hint)) << c.name;
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(c.caption).remove(QLatin1Char('&'))) << c.name;
        EXPECT_TRUE(QRect(0, 0, 401, 184).contains(button->geometry())) << c.name;
    }
    auto* test1 = Find<QLineEdit>("Test1Edit");
    EXPECT_TRUE(test1->isReadOnly());
    EXPECT_EQ(test1->toolTip(), QStringLiteral("ｽﾍﾟｰｽ又はｸﾘｯｸでｶﾚﾝﾀﾞｰが開きます"));
    EXPECT_FALSE(test1->accessibleName().isEmpty());
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("◆ 一般入力方式"));
    // Out of sight below the client area.
    auto* check = Find<QCheckBox>("CheckBox1");
    EXPECT_EQ(check->text(), QStringLiteral("年月カレンダーを使用 （日付指定は不要）"));
    for (QWidget* hidden :
         {static_cast<QWidget*>(check), static_cast<QWidget*>(Find<QLineEdit>("Test2Edit")),
          static_cast<QWidget*>(Find<QPushButton>("Test2Btn")), static_cast<QWidget*>(Find<QLabel>("MyLabel1")),
          static_cast<QWidget*>(Find<QLabel>("MyLabel2"))}) {
        EXPECT_GE(hidden->geometry().top(), 184) << hidden->objectName().toStdString();
    }
}

struct OpeningCase {
    const char* name;
    const char* stored;  // "INPUT"; nullptr for none
    int checkedMain;     // 1 or 2
    int checkedSub;      // 3 to 6
};
void PrintTo(const OpeningCase& c, std::ostream* os) { *os << c.name; }

class Nen4Opening : public Nen4Test, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(Nen4Opening, ShowsTheStoredMethodWithTheOtherPairDisabled) {
    const OpeningCase& c = GetParam();
    if (c.stored != nullptr) Store(kInputValue, c.stored);
    Open();
    EXPECT_TRUE(Radio(c.checkedMain)->isChecked());
    EXPECT_TRUE(Radio(c.checkedSub)->isChecked());
    const bool calendar = c.checkedMain == 1;
    for (int n : {3, 4}) EXPECT_EQ(Radio(n)->isEnabled(), calendar);
    for (int n : {5, 6}) EXPECT_EQ(Radio(n)->isEnabled(), !calendar);
    EXPECT_FALSE(Find<QPushButton>("SetBtn")->isEnabled());
}

const OpeningCase kOpeningCases[] = {
    {"NothingStored", nullptr, 1, 4}, {"CalendarFromLastDate", "0", 1, 3}, {"CalendarFromToday", "1", 1, 4},
    {"KeyboardEra", "2", 2, 5},       {"KeyboardWestern", "3", 2, 6},      {"NotANumber", "x", 1, 4},
};

INSTANTIATE_TEST_SUITE_P(Cases, Nen4Opening, ::testing::ValuesIn(kOpeningCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Nen4Test, ClosingUnchangedAsksNothingAndStoresNothing) {
    Open();
    Click("BackBtn");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(Stored(kInputValue), "(none)");
}

TEST_F(Nen4Test, KeyboardInputAndSetStoresTheEraEntryAndClosesWithoutAQuestion) {
    Open();
    Click("RadioButton2");
    EXPECT_TRUE(Radio(5)->isChecked());  // checked for the user
    EXPECT_FALSE(Radio(3)->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("SetBtn")->isEnabled());
    Click("SetBtn");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(Stored(kInputValue), "2");
    EXPECT_EQ(Stored(kMonCalendarValue), "0");
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(Nen4Test, BackToCalendarKeepsItsSubChoice) {
    Open();  // カレンダー入力 with 常に本日を表示
    Click("RadioButton2");
    Click("RadioButton6");
    Click("RadioButton1");
    EXPECT_TRUE(Radio(4)->isChecked());
    EXPECT_FALSE(Radio(3)->isChecked());
    EXPECT_TRUE(Radio(6)->isChecked());
    EXPECT_EQ(window->ChosenMethod(), 1);
    Click("RadioButton3");
    EXPECT_EQ(window->ChosenMethod(), 0);
}

struct CloseCase {
    const char* name;
    bool escape;  // Escape instead of the close box
    Answer answer;
    bool closed;
    const char* stored;
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class Nen4Closing : public Nen4Test, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Nen4Closing, AChangedChoiceIsQuestionedOnClosing) {
    const CloseCase& c = GetParam();
    Open();
    Click("RadioButton2");
    Click("RadioButton6");
    messages.QueueAnswer(c.answer);
    if (c.escape) {
        QTest::keyClick(Radio(6), Qt::Key_Escape);
    } else {
        window->close();
    }
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, kQuestion);
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Confirmation);
    EXPECT_EQ(messages.Shown()[0].buttons, platform::Buttons::YesNoCancel);
    EXPECT_EQ(window->isVisible(), !c.closed);
    EXPECT_EQ(Stored(kInputValue), c.stored);
}

const CloseCase kCloseCases[] = {
    {"YesStores", false, Answer::Yes, true, "3"},
    {"NoDiscards", false, Answer::No, true, "(none)"},
    {"CancelStays", false, Answer::Cancel, false, "(none)"},
    {"EscapeAsksToo", true, Answer::Cancel, false, "(none)"},
};

INSTANTIATE_TEST_SUITE_P(Cases, Nen4Closing, ::testing::ValuesIn(kCloseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Nen4Test, AChangeUndoneIsNoChange) {
    Open();
    Click("RadioButton3");
    Click("RadioButton4");
    window->close();
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Nen4Test, AStoredMethodOutsideTheRangeIsOfferedForRepair) {
    Store(kInputValue, "7");
    Open();
    messages.QueueAnswer(Answer::Yes);
    window->close();
    EXPECT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(Stored(kInputValue), "1");
}

TEST_F(Nen4Test, TheHiddenYearMonthOptionIsReadAndWritten) {
    Store(kMonCalendarValue, "1");
    Open();
    auto* check = Find<QCheckBox>("CheckBox1");
    EXPECT_TRUE(check->isChecked());
    check->setChecked(false);
    messages.QueueAnswer(Answer::Yes);
    window->close();
    EXPECT_EQ(Stored(kMonCalendarValue), "0");
    EXPECT_EQ(Stored(kInputValue), "1");
}

struct TestInputCase {
    const char* name;
    int method;  // the radio button checked before the test: 3 to 6
    const char* entry;
    int dx;  // from the window's left
    bool todayAsArgument;
};
void PrintTo(const TestInputCase& c, std::ostream* os) { *os << c.name; }

class Nen4TestInput : public Nen4Test, public ::testing::WithParamInterface<TestInputCase> {};

TEST_P(Nen4TestInput, CallsTheChosenEntryUnsavedAndShowsTheAnswer) {
    const TestInputCase& c = GetParam();
    Open();
    Click(c.method <= 4 ? "RadioButton1" : "RadioButton2");
    Click(("RadioButton" + std::to_string(c.method)).c_str());
    library.Answer("19700207");
    Click("Test1Btn");
    ASSERT_EQ(library.Calls().size(), 1u);
    const auto& call = library.Calls()[0];
    const QPoint corner = window->frameGeometry().topLeft();
    EXPECT_EQ(call.entry, c.entry);
    EXPECT_EQ(call.x, corner.x() + c.dx);
    EXPECT_EQ(call.y, corner.y() + 180);
    EXPECT_EQ(call.argument, c.todayAsArgument ? "20240503" : key);
    EXPECT_EQ(Find<QLineEdit>("Test1Edit")->text(), QStringLiteral("昭和45年02月07日"));
    EXPECT_EQ(Stored(kInputValue), "(none)");
}

const TestInputCase kTestInputCases[] = {
    {"CalendarFromLastDate", 3, "ShowCalendar2", 20, false},
    {"CalendarFromToday", 4, "ShowCalendar", 20, false},
    {"KeyboardEra", 5, "ShowDyginpEX", 40, true},
    {"KeyboardWestern", 6, "ShowDysinp", 40, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, Nen4TestInput, ::testing::ValuesIn(kTestInputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Nen4Test, TestFieldOpensOnClickSpaceDigitsAndLettersAndEmptiesOnBackspace) {
    settings.Write(key, "SETTING", "SEIREKI", "YES");
    Open();
    auto* edit = Find<QLineEdit>("Test1Edit");
    edit->setFocus();
    library.Answer("19700207");
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("1970年02月07日"));  // Western with SEIREKI on
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QString());
    QTest::keyClick(edit, Qt::Key_Space);
    QTest::keyClick(edit, Qt::Key_7);
    QTest::keyClick(edit, Qt::Key_K);
    QTest::keyClick(edit, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(library.Calls().size(), 5u);
    // With Shift, Ctrl or Alt, and other keys, nothing opens.
    QTest::keyClick(edit, Qt::Key_K, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_7, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_K, Qt::AltModifier);
    QTest::keyClick(edit, Qt::Key_Period);
    EXPECT_EQ(library.Calls().size(), 5u);
    library.Answer("20240503");
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_EQ(edit->text(), QStringLiteral("2024年05月03日"));
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), QString());
}

TEST_F(Nen4Test, ACancelledOrBrokenAnswerLeavesTheTestField) {
    Open();
    auto* edit = Find<QLineEdit>("Test1Edit");
    library.Answer("19700207");
    Click("Test1Btn");
    Click("Test1Btn");  // cancelled: nothing queued
    EXPECT_EQ(edit->text(), QStringLiteral("昭和45年02月07日"));
    library.Answer("19700230");
    Click("Test1Btn");
    EXPECT_EQ(edit->text(), QStringLiteral("昭和45年02月07日"));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "「19700230」は日付として正しくありません。");
}

TEST_F(Nen4Test, YearMonthTestFieldShowsTheMonth) {
    Open();
    library.Answer("202405");
    Find<QPushButton>("Test2Btn")->click();
    ASSERT_EQ(library.Calls().size(), 1u);
    EXPECT_EQ(library.Calls()[0].entry, "ShowMonCalendar");
    EXPECT_EQ(Find<QLineEdit>("Test2Edit")->text(), QStringLiteral("令和06年05月"));
    library.Answer("202413");
    Find<QPushButton>("Test2Btn")->click();
    EXPECT_EQ(Find<QLineEdit>("Test2Edit")->text(), QStringLiteral("令和06年05月"));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "「202413」は年月として正しくありません。");
}

TEST_F(Nen4Test, FunctionKeysPressTheButtonsAndCtrlPPrints) {
    Open();
    QWidget* printed = nullptr;
    window->SetScreenPrint([&](QWidget* w) { printed = w; });
    QTest::keyClick(Radio(4), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, &*window);
    QTest::keyClick(Radio(4), Qt::Key_F3);  // 設定 not yet enabled
    EXPECT_TRUE(window->isVisible());
    Radio(4)->setFocus();
    QTest::keyClick(Radio(4), Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), Radio(4));
    EXPECT_TRUE(window->isVisible());
    Click("RadioButton3");
    QTest::keyClick(Radio(3), Qt::Key_F3);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored(kInputValue), "0");
}

TEST_F(Nen4Test, F1Closes) {
    Open();
    QTest::keyClick(Radio(1), Qt::Key_F1);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace korvalen::wizard
