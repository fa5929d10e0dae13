// The three tools of the history page, opened from their buttons in the
// real wizard and driven by object name, with typed keys and clicks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QSpinBox>
#include <QTest>

#include "bulk_tools_fixture.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/tavo50aa_form.h"
#include "korvalen/wizard/tavo50ab_form.h"
#include "korvalen/wizard/tavo50ac_form.h"

namespace korvalen::wizard {
namespace {

using fixtures::Numbered;
using fixtures::ToolsPc;
using fixtures::TypeInto;
using platform::Answer;
using platform::Buttons;
using platform::MessageType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

template <typename T = QWidget>
T* Child(QWidget& dialog, const char* name) {
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(Child<QAbstractButton>(dialog, button), Qt::LeftButton);
}

bool SaveEnabled(QWidget& dialog) { return Child<QAbstractButton>(dialog, "SBSave")->isEnabled(); }

std::vector<std::string> Dates(const engine::HistoryList& list) {
    std::vector<std::string> dates;
    for (const auto& entry : list) dates.push_back(engine::FormatGridDate(entry->date));
    return dates;
}

QStringList GridRow(const ToolsPc& f, int row) {
    QStringList texts;
    for (int col = kDateCol; col <= kRateCol; ++col) texts << f.GridText(col, row);
    return texts;
}

void SetDates(TTavo50ABF& dialog, QDate first, QDate final) {
    Child<QDateEdit>(dialog, "DateTimePicker1")->setDate(first);
    Child<QDateEdit>(dialog, "DateTimePicker2")->setDate(final);
}

// --- What the three tools share -------------------------------------------

TEST(BulkTools, EachOpensOverTheWizardsBottomRightCornerWithItsActionDisabled) {
    struct Tool {
        const char* button;
        const char* dialog;
        const char* title;
        const char* action;
    };
    const std::vector<Tool> tools = {
        {"RateChangeBtn", "Tavo50AAF", "利率の一括変換", "変更(&S)"},
        {"GenerateBtn", "Tavo50ABF", "推定返済データ一括生成", "作成(&S)"},
        {"RangeDeleteBtn", "Tavo50ACF", "範囲選択データ一括削除", "削除(&D)"},
    };
    for (const Tool& tool : tools) {
        ToolsPc f;
        f.Open(Numbered(3));
        const QRect wizard = f.wizard->frameGeometry();
        f.UseTool<BulkToolDialog>(tool.button, [&](BulkToolDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QString::fromLatin1(tool.dialog));
            EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(tool.title));
            EXPECT_EQ(Child<QAbstractButton>(dialog, "SBSave")->text(), QString::fromUtf8(tool.action));
            EXPECT_FALSE(SaveEnabled(dialog)) << tool.dialog;
            EXPECT_EQ(Child<QAbstractButton>(dialog, "SpeedButton1")->text(), QStringLiteral("閉じる(&C)"));
            EXPECT_EQ(dialog.frameGeometry().right(), wizard.right()) << tool.dialog;
            EXPECT_EQ(dialog.frameGeometry().bottom(), wizard.bottom() - 30) << tool.dialog;
            Click(dialog, "SpeedButton1");
        });
        EXPECT_THAT(f.Texts(), IsEmpty()) << tool.dialog;
        EXPECT_EQ(f.History().size(), 3u);
    }
}

// --- 推定返済データ一括生成 ------------------------------------------------

TEST(RepaymentGeneration, OffersTheDatesTheHistorySpansAndNoHolidaySetting) {
    struct Case {
        std::string csv;
        QDate first;
        QDate final;
    };
    const std::vector<Case> cases = {
        {Numbered(3), {2023, 1, 10}, {2023, 3, 10}},
        {"", {2003, 12, 25}, {2009, 12, 25}},
    };
    for (const Case& c : cases) {
        ToolsPc f;
        f.Open(c.csv);
        f.UseTool<TTavo50ABF>("GenerateBtn", [&](TTavo50ABF& dialog) {
            EXPECT_EQ(Child<QDateEdit>(dialog, "DateTimePicker1")->date(), c.first);
            EXPECT_EQ(Child<QDateEdit>(dialog, "DateTimePicker2")->date(), c.final);
            EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEdit1")->value(), 25);
            EXPECT_FALSE(Child<QCheckBox>(dialog, "CheckBox1")->isChecked());
            EXPECT_FALSE(Child<QCheckBox>(dialog, "CheckBox2")->isChecked());
            EXPECT_EQ(Child<TNumEdit>(dialog, "NumEdit1")->text(), QStringLiteral("0"));
            auto* setting = Child<QComboBox>(dialog, "ComboBox1");
            auto* shift = Child<QComboBox>(dialog, "KyujituH");
            EXPECT_EQ(setting->currentText(), QStringLiteral("休日設定なし"));
            EXPECT_EQ(shift->currentText(), QStringLiteral("翌営業日"));
            EXPECT_FALSE(shift->isEnabled());

            // Choosing a holiday setting opens 休日の処理 but is no change
            // that 作成 waits for; a change of 休日の処理 is.
            setting->setCurrentIndex(0);
            EXPECT_TRUE(shift->isEnabled());
            EXPECT_FALSE(SaveEnabled(dialog));
            shift->setCurrentIndex(1);
            EXPECT_TRUE(SaveEnabled(dialog));
            setting->setCurrentIndex(2);
            EXPECT_FALSE(shift->isEnabled());

            // Enter moves on instead of acting.
            Child(dialog, "DateTimePicker1")->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_EQ(QApplication::focusWidget(), Child(dialog, "SpinEdit1"));
            Click(dialog, "SpeedButton1");  // no question: 閉じる changes nothing
        });
        EXPECT_THAT(f.Texts(), IsEmpty());
    }
}

TEST(RepaymentGeneration, ReplacesTheHistoryWithRepaymentsMovedOffHolidaysAndLeavesTheTotals) {
    ToolsPc f;
    f.Open(Numbered(8));
    f.UseTool<TTavo50ABF>("GenerateBtn", [&](TTavo50ABF& dialog) {
        SetDates(dialog, {2024, 4, 3}, {2024, 6, 3});
        Child<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(0);  // 土曜・日曜・祭日, 翌営業日
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("30000"));
        EXPECT_TRUE(SaveEnabled(dialog));
        Click(dialog, "SBSave");
    });
    EXPECT_THAT(f.Texts(), IsEmpty());
    // 3 to 6 May are off, 6 May standing in for Sunday 5 May.
    EXPECT_THAT(Dates(f.History()), ElementsAre("24/04/03", "24/05/07", "24/06/03"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.History()[static_cast<std::size_t>(i)]->order, i + 1);
    EXPECT_EQ(GridRow(f, 1), (QStringList{"24/04/03", "0", "30,000", "29.200%"}));
    EXPECT_EQ(GridRow(f, 2), (QStringList{"24/05/07", "0", "30,000", "29.200%"}));
    EXPECT_EQ(GridRow(f, 4), (QStringList{"", "", "", ""}));
    // Recomputed only at the grid's next commit.
    EXPECT_EQ(f.Total("NumEdit4"), QStringLiteral("360,000"));
    EXPECT_EQ(f.Total("NumEdit5"), QStringLiteral("36,000"));
}

TEST(RepaymentGeneration, KeptEntriesStayInFrontAndTheNewOnesFollowUnsorted) {
    ToolsPc f;
    f.Open("2024-08-10,100000,0\n2024-09-10,0,20000\n");
    f.UseTool<TTavo50ABF>("GenerateBtn", [&](TTavo50ABF& dialog) {
        Child<QCheckBox>(dialog, "CheckBox2")->setChecked(true);
        SetDates(dialog, {2024, 1, 25}, {2024, 3, 25});
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("15000"));
        Click(dialog, "SBSave");
    });
    EXPECT_THAT(f.Texts(), IsEmpty());
    EXPECT_THAT(Dates(f.History()), ElementsAre("24/08/10", "24/09/10", "24/01/25", "24/02/25", "24/03/25"));
    EXPECT_EQ(GridRow(f, 2), (QStringList{"24/09/10", "0", "20,000", "29.200%"}));
    EXPECT_EQ(GridRow(f, 3), (QStringList{"24/01/25", "0", "15,000", "29.200%"}));
}

TEST(RepaymentGeneration, ARefusedPlanWarnsPutsTheFocusOnTheFieldAndChangesNothing) {
    struct Case {
        const char* name;
        std::string csv;
        engine::DayNumber startDay;
        std::function<void(TTavo50ABF&)> fill;
        const char* message;
        const char* field;
        bool saveEnabledAfter;
    };
    const std::vector<Case> cases = {
        {"first date before the start date", "2024-02-10,100000,0\n", engine::DayNumberFromCivil(2024, 2, 1),
         [](TTavo50ABF& d) {
             SetDates(d, {2024, 1, 25}, {2024, 6, 25});
             TypeInto(Child(d, "NumEdit1"), QStringLiteral("30000"));
         },
         "【計算開始年月日(2024年2月1日)】よりも前の[１件目返済日]は処理できません。", "DateTimePicker1", true},
        {"no amount", Numbered(2), 0,
         [](TTavo50ABF& d) {
             SetDates(d, {2024, 1, 25}, {2024, 6, 25});
             Child<QComboBox>(d, "ComboBox1")->setCurrentIndex(1);
             Child<QComboBox>(d, "KyujituH")->setCurrentIndex(1);
         },
         "【毎月返済額】を入力して下さい。", "NumEdit1", false},
        {"more entries than the grid's 999 rows", Numbered(8), 0,
         [](TTavo50ABF& d) {
             Child<QCheckBox>(d, "CheckBox2")->setChecked(true);
             SetDates(d, {1960, 1, 25}, {2042, 8, 25});  // 992 months
             TypeInto(Child(d, "NumEdit1"), QStringLiteral("10000"));
         },
         "作成すると履歴が999件を超えます（入力済8件、作成992件）。\r\n何も作成していません。", "DateTimePicker2",
         true},
    };
    for (const Case& c : cases) {
        ToolsPc f;
        f.Open(c.csv, c.startDay);
        const std::vector<std::string> before = Dates(f.History());
        const QStringList firstRow = GridRow(f, 1);
        f.UseTool<TTavo50ABF>("GenerateBtn", [&](TTavo50ABF& dialog) {
            c.fill(dialog);
            Click(dialog, "SBSave");
            EXPECT_TRUE(dialog.isVisible()) << c.name;
            EXPECT_EQ(QApplication::focusWidget(), Child(dialog, c.field)) << c.name;
            EXPECT_EQ(SaveEnabled(dialog), c.saveEnabledAfter) << c.name;
            Click(dialog, "SpeedButton1");
        });
        ASSERT_EQ(f.pc.messages.Shown().size(), 1u) << c.name;
        EXPECT_EQ(f.pc.messages.Shown()[0].type, MessageType::Warning);
        EXPECT_EQ(f.pc.messages.Shown()[0].buttons, Buttons::Ok);
        EXPECT_EQ(f.pc.messages.Shown()[0].text, c.message) << c.name;
        EXPECT_EQ(Dates(f.History()), before) << c.name;
        EXPECT_EQ(GridRow(f, 1), firstRow) << c.name;
    }
}

// --- 利率の一括変換 --------------------------------------------------------

TEST(RateChange, FromRowThreeChangesEntriesThreeToTenAndClosesWithoutAsking) {
    ToolsPc f;
    f.Open(Numbered(10));
    f.UseTool<TTavo50AAF>("RateChangeBtn", [&](TTavo50AAF& dialog) {
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("18"));
        TypeInto(Child(dialog, "NumEdit3"), QStringLiteral("3"));
        EXPECT_EQ(Child<TNumEdit>(dialog, "NumEdit1")->text(), QStringLiteral("18.000"));  // left, so fixed
        EXPECT_TRUE(SaveEnabled(dialog));
        Click(dialog, "SBSave");
    });
    EXPECT_THAT(f.Texts(), IsEmpty());
    for (int row = 1; row <= 10; ++row) {
        const bool changed = row >= 3;
        EXPECT_EQ(f.History()[static_cast<std::size_t>(row - 1)]->rate, changed ? 180000 : 292000) << row;
        EXPECT_EQ(f.GridText(kRateCol, row), changed ? QStringLiteral("18.000%") : QStringLiteral("29.200%")) << row;
    }
}

TEST(RateChange, EnterMovesToTheRowAndF3Changes) {
    ToolsPc f;
    f.Open(Numbered(4));
    f.UseTool<TTavo50AAF>("RateChangeBtn", [&](TTavo50AAF& dialog) {
        EXPECT_EQ(QApplication::focusWidget(), Child(dialog, "NumEdit1"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("15"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), Child(dialog, "NumEdit3"));
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    });
    EXPECT_EQ(f.History()[2]->rate, 292000);
    EXPECT_EQ(f.History()[3]->rate, 150000);
}

TEST(RateChange, AMissingNumberIsAskedForAndChangesNothing) {
    struct Case {
        const char* typedInto;
        const char* text;
        const char* message;
        const char* field;
    };
    const std::vector<Case> cases = {
        {"NumEdit1", "18", "【何行目】を入力して下さい。", "NumEdit3"},
        {"NumEdit3", "3", "【変更後の利率】を入力して下さい。", "NumEdit1"},
    };
    for (const Case& c : cases) {
        ToolsPc f;
        f.Open(Numbered(4));
        f.UseTool<TTavo50AAF>("RateChangeBtn", [&](TTavo50AAF& dialog) {
            TypeInto(Child(dialog, c.typedInto), QString::fromLatin1(c.text));
            Click(dialog, "SBSave");
            EXPECT_FALSE(SaveEnabled(dialog));
            EXPECT_EQ(QApplication::focusWidget(), Child(dialog, c.field));
            Click(dialog, "SpeedButton1");  // the button is off: no question
        });
        EXPECT_THAT(f.Texts(), ElementsAre(c.message));
        for (const auto& entry : f.History()) EXPECT_EQ(entry->rate, 292000);
    }
}

TEST(RateChange, WritesOnlyTheRateCellOfARowBeingTyped) {
    ToolsPc f;
    f.Open(Numbered(3));
    // The user typed a new borrowing into row 2 without taking it over yet.
    f.wizard->findChild<HistoryPage*>()->Grid().SetCellText({kBorrowingCol, 2}, "99,999");
    f.UseTool<TTavo50AAF>("RateChangeBtn", [&](TTavo50AAF& dialog) {
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("18"));
        TypeInto(Child(dialog, "NumEdit3"), QStringLiteral("1"));
        Click(dialog, "SBSave");
    });
    EXPECT_EQ(GridRow(f, 2), (QStringList{"23/02/10", "99,999", "2,000", "18.000%"}));
}

// --- 範囲選択データ一括削除 ------------------------------------------------

TEST(RangeDeletion, FiveTo999OnEightEntriesRemovesFiveToEightAndSetsTheTotals) {
    ToolsPc f;
    f.Open(Numbered(8));
    f.UseTool<TTavo50ACF>("RangeDeleteBtn", [&](TTavo50ACF& dialog) {
        TypeInto(Child(dialog, "NumEdit3"), QStringLiteral("5"));
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("999"));
        EXPECT_TRUE(SaveEnabled(dialog));
        Click(dialog, "SBSave");
    });
    EXPECT_THAT(f.Texts(), IsEmpty());
    EXPECT_THAT(Dates(f.History()), ElementsAre("23/01/10", "23/02/10", "23/03/10", "23/04/10"));
    EXPECT_EQ(GridRow(f, 4), (QStringList{"23/04/10", "40,000", "4,000", "29.200%"}));
    EXPECT_EQ(GridRow(f, 5), (QStringList{"", "", "", ""}));
    EXPECT_EQ(f.Total("NumEdit4"), QStringLiteral("100,000"));
    EXPECT_EQ(f.Total("NumEdit5"), QStringLiteral("10,000"));
}

TEST(RangeDeletion, SixToFiveCannotStart) {
    ToolsPc f;
    f.Open(Numbered(8));
    f.UseTool<TTavo50ACF>("RangeDeleteBtn", [&](TTavo50ACF& dialog) {
        TypeInto(Child(dialog, "NumEdit3"), QStringLiteral("6"));
        TypeInto(Child(dialog, "NumEdit1"), QStringLiteral("5"));
        EXPECT_FALSE(SaveEnabled(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        EXPECT_TRUE(dialog.isVisible());
        Click(dialog, "SpeedButton1");  // nothing to apply: no question
    });
    EXPECT_THAT(f.Texts(), IsEmpty());
    EXPECT_EQ(f.History().size(), 8u);
}

// --- Closing with input not yet applied ------------------------------------

TEST(ClosingQuestion, YesAppliesNoDropsCancelStays) {
    struct Tool {
        const char* button;
        const char* first;  // NumEdit1 of the rate change is its rate
        const char* firstText;
        const char* second;
        const char* secondText;
        std::string question;
        std::function<bool(const engine::HistoryList&)> applied;
    };
    const std::vector<Tool> tools = {
        {"RateChangeBtn", "NumEdit1", "18", "NumEdit3", "3",
         "データは入力されていますが\r\n変更が反映されていません。\r\n変更が反映してから「終了」しますか？",
         [](const engine::HistoryList& list) { return list[2]->rate == 180000; }},
        {"RangeDeleteBtn", "NumEdit3", "5", "NumEdit1", "999",
         "データは入力されていますが\r\n削除が反映されていません。\r\n削除が反映してから「終了」しますか？",
         [](const engine::HistoryList& list) { return list.size() == 4; }},
    };
    for (const Tool& tool : tools) {
        for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
            ToolsPc f;
            f.Open(Numbered(8));
            f.pc.messages.QueueAnswer(answer);
            f.UseTool<BulkToolDialog>(tool.button, [&](BulkToolDialog& dialog) {
                TypeInto(Child(dialog, tool.first), QString::fromLatin1(tool.firstText));
                TypeInto(Child(dialog, tool.second), QString::fromLatin1(tool.secondText));
                Click(dialog, "SpeedButton1");
                if (answer == Answer::Cancel) {
                    EXPECT_TRUE(dialog.isVisible());
                    // The window's close box asks again.
                    f.pc.messages.QueueAnswer(Answer::No);
                    dialog.close();
                }
            });
            ASSERT_FALSE(f.pc.messages.Shown().empty());
            const auto& asked = f.pc.messages.Shown()[0];
            EXPECT_EQ(asked.type, MessageType::Information);
            EXPECT_EQ(asked.buttons, Buttons::YesNoCancel);
            EXPECT_EQ(asked.text, tool.question);
            EXPECT_EQ(f.pc.messages.Shown().size(), answer == Answer::Cancel ? 2u : 1u);
            EXPECT_EQ(tool.applied(f.History()), answer == Answer::Yes)
                << tool.button << " " << static_cast<int>(answer);
        }
    }
}

}  // namespace
}  // namespace korvalen::wizard
