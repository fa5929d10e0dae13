#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "korvalen/engine/dates.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/date_input_library.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/month_calendar_form.h"
#include "scripted_date_input.h"

namespace korvalen::wizard {
namespace {

using engine::DayNumberFromCivil;
using platform::Answer;

const engine::DayNumber kToday = DayNumberFromCivil(2024, 5, 3);

struct PickCase {
    const char* name;
    std::optional<const char*> stored;  // "INPUT"; nothing stored when empty
    const char* entry;                  // nullptr: no entry is called
    bool todayAsArgument;
};
void PrintTo(const PickCase& c, std::ostream* os) { *os << c.name; }

class PickDateMethod : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickDateMethod, CallsTheEntryOfTheStoredMethodBesideTheWindow) {
    const PickCase& c = GetParam();
    testsupport::TempFolder folder("pickdate");
    platform::IniSettingsStore settings(folder.path().string());
    const std::string key = platform::ProgramKey();
    if (c.stored) settings.Write(key, kCalendarSection, kInputValue, *c.stored);
    fixtures::ScriptedDateInput library;
    library.Answer("19700207");
    platform::FixedClock clock(static_cast<std::int32_t>(kToday));
    LibraryDatePicker picker(settings, library, clock, key);

    QWidget window;
    window.setGeometry(100, 50, 300, 200);
    window.show();
    const QPoint corner = window.frameGeometry().topLeft();
    const std::string date = picker.PickDate(&window);

    if (c.entry == nullptr) {
        EXPECT_TRUE(library.Calls().empty());
        EXPECT_EQ(date, "");
        return;
    }
    ASSERT_EQ(library.Calls().size(), 1u);
    const auto& call = library.Calls()[0];
    EXPECT_EQ(call.entry, c.entry);
    EXPECT_EQ(call.x, corner.x() + 30);
    EXPECT_EQ(call.y, corner.y() + 175);
    EXPECT_EQ(call.argument, c.todayAsArgument ? "20240503" : key);
    EXPECT_EQ(date, "19700207");
}

const PickCase kPickCases[] = {
    {"NothingStoredIsWesternKeyboard", std::nullopt, "ShowDysinp", false},
    {"CalendarFromLastDate", "0", "ShowCalendar2", false},
    {"CalendarFromToday", "1", "ShowCalendar", false},
    {"KeyboardEraGetsToday", "2", "ShowDyginpEX", true},
    {"KeyboardWestern", "3", "ShowDysinp", false},
    {"NotANumberIsWesternKeyboard", "abc", "ShowDysinp", false},
    {"AboveThreeGivesNothing", "4", nullptr, false},
    {"NegativeGivesNothing", "-1", nullptr, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, PickDateMethod, ::testing::ValuesIn(kPickCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PickDate, ACancelledInputGivesNothing) {
    testsupport::TempFolder folder("pickdate");
    platform::IniSettingsStore settings(folder.path().string());
    fixtures::ScriptedDateInput library;  // answers nothing
    platform::FixedClock clock(static_cast<std::int32_t>(kToday));
    LibraryDatePicker picker(settings, library, clock, platform::ProgramKey());
    QWidget window;
    EXPECT_EQ(picker.PickDate(&window), "");
    EXPECT_EQ(library.Calls().size(), 1u);
}

// The library's own dialogs, run modally as the program runs them; `act`
// is done on the dialog once it is shown.
class CalendarLibraryTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder{"calinp"};
    platform::IniSettingsStore settings{folder.path().string()};
    platform::ScriptedMessages messages;
    platform::FixedClock clock{static_cast<std::int32_t>(kToday)};
    CalendarLibrary library{settings, messages, clock};
    const std::string key = platform::ProgramKey();
    QPoint shownAt;
    bool acted = false;

    void WhenShown(std::function<void(QWidget*)> act) {
        acted = false;
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [this, poll, act] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || !dialog->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            shownAt = dialog->frameGeometry().topLeft();
            // The desktop activates a new dialog; the offscreen platform
            // does so on request.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            acted = true;
            act(dialog);
        });
        poll->start();
    }
    std::string LastDate() const { return settings.Read(key, kCalendarSection, kLastDateValue); }
};

QCalendarWidget* CalendarOf(QWidget* dialog) { return dialog->findChild<QCalendarWidget*>("Calendar"); }

TEST_F(CalendarLibraryTest, CalendarOpensAtTodayWhenNothingWasChosenBefore) {
    int year = 0, month = 0;
    WhenShown([&](QWidget* dialog) {
        QCalendarWidget* calendar = CalendarOf(dialog);
        year = calendar->yearShown();
        month = calendar->monthShown();
        // The grid has the focus from the start.
        EXPECT_EQ(QApplication::focusWidget(), calendar->findChild<QTableView*>());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(library.ShowCalendar2(60, 70, key), "20240503");
    EXPECT_TRUE(acted);
    EXPECT_EQ(shownAt, QPoint(60, 70));
    EXPECT_EQ(year, 2024);
    EXPECT_EQ(month, 5);
    EXPECT_EQ(LastDate(), "20240503");
}

TEST_F(CalendarLibraryTest, CalendarOpensAtTheMonthAfterTheLastChosenDate) {
    settings.Write(key, kCalendarSection, kLastDateValue, "20240131");
    QDate selected;
    WhenShown([&](QWidget* dialog) {
        selected = CalendarOf(dialog)->selectedDate();
        dialog->findChild<QPushButton*>("CancelBtn")->click();
    });
    EXPECT_EQ(library.ShowCalendar2(10, 10, key), "");
    EXPECT_EQ(selected, QDate(2024, 2, 29));  // the month's last day stands in for the 31st
    EXPECT_EQ(LastDate(), "20240131");        // a cancel leaves it
}

TEST_F(CalendarLibraryTest, TodaysCalendarIgnoresTheLastDateAndTakesKeysAndTheMouse) {
    settings.Write(key, kCalendarSection, kLastDateValue, "20000101");
    WhenShown([&](QWidget* dialog) {
        auto* view = CalendarOf(dialog)->findChild<QTableView*>();
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Return);
    });
    EXPECT_EQ(library.ShowCalendar(10, 10, key), "20240504");
    EXPECT_EQ(LastDate(), "20240504");

    WhenShown([&](QWidget* dialog) {
        auto* view = CalendarOf(dialog)->findChild<QTableView*>();
        QTest::keyClick(view, Qt::Key_PageDown);  // June
        // 2024-06-12 is a Wednesday of the third row of June's page.
        const QRect cell = view->visualRect(view->model()->index(3, 3));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    });
    EXPECT_EQ(library.ShowCalendar(10, 10, key), "20240612");
}

TEST_F(CalendarLibraryTest, WesternEntryRefusesAnImpossibleDateAndKeepsTheDialog) {
    int warnings = 0;
    WhenShown([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("DateEdit");
        EXPECT_EQ(edit->text(), QStringLiteral("20240503"));
        EXPECT_TRUE(edit->hasFocus());
        QTest::keyClicks(edit, QStringLiteral("19700230"));
        QTest::keyClick(edit, Qt::Key_Return);
        warnings = static_cast<int>(messages.Shown().size());
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClicks(edit, QStringLiteral("19700207"));  // the field is selected again
        EXPECT_EQ(dialog->findChild<QLabel*>("PreviewLabel")->text(),
                  QStringLiteral("1970年02月07日（昭和45年02月07日）"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(library.ShowDysinp(10, 10, key), "19700207");
    EXPECT_EQ(warnings, 1);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].type, platform::MessageType::Warning);
    EXPECT_EQ(messages.Shown()[0].text, "1970年2月30日は存在しない日付です。");
    EXPECT_EQ(LastDate(), "19700207");
}

TEST_F(CalendarLibraryTest, EraEntryTakesTheEraLetterAndDigits) {
    QString proposed;
    WhenShown([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("DateEdit");
        proposed = edit->text();
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("Era4Btn")->isChecked());  // 令和, the era of the proposal
        QTest::keyClicks(edit, QStringLiteral("s"));
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("Era2Btn")->isChecked());
        QTest::keyClicks(edit, QStringLiteral("450207"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(library.ShowDyginpEX(10, 10, "20240503"), "19700207");
    EXPECT_EQ(proposed, QStringLiteral("060503"));
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(LastDate(), "");  // the era entry is given no settings key
}

TEST_F(CalendarLibraryTest, EraEntryRefusesADayOutsideTheEraAndCancelGivesNothing) {
    WhenShown([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("DateEdit");
        dialog->findChild<QRadioButton*>("Era2Btn")->click();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("640108"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_EQ(library.ShowDyginpEX(10, 10, "20240503"), "");
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text,
              "昭和64年1月8日は存在しない日付です。\r\n昭和は1926年12月25日から1989年1月7日までです。");
}

TEST_F(CalendarLibraryTest, MonthCalendarGivesYearAndMonth) {
    WhenShown([&](QWidget* dialog) {
        auto* may = dialog->findChild<QPushButton*>("Month5Btn");
        EXPECT_TRUE(may->hasFocus());
        EXPECT_TRUE(may->font().bold());  // the current month
        QTest::keyClick(may, Qt::Key_PageDown);
        QTest::keyClick(may, Qt::Key_Down);  // four months on: September
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(library.ShowMonCalendar(10, 10), "202509");
    WhenShown([&](QWidget* dialog) { dialog->findChild<QPushButton*>("Month12Btn")->click(); });
    EXPECT_EQ(library.ShowMonCalendar(10, 10), "202412");
}

}  // namespace
}  // namespace korvalen::wizard
