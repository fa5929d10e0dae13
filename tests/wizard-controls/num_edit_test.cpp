#include "korvalen/wizard/num_edit.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace korvalen::wizard {
namespace {

// The kinds of field the program builds from the control.
enum class Field { Amount, Rate, RowNumber, NegativeYen, ZeroHidden, ZeroPadded4, ReadOnlyAmount };

void Prepare(TNumEdit& edit, Field field) {
    switch (field) {
        case Field::Amount: break;
        case Field::Rate: SetUpRateEdit(edit); break;
        case Field::RowNumber: SetUpRowNumberEdit(edit); break;
        case Field::NegativeYen:
            edit.SetCanNegative(true);
            edit.SetLeadingChar(QChar(0x00A5));
            break;
        case Field::ZeroHidden: edit.SetZeroDisplay(false); break;
        case Field::ZeroPadded4:
            ASSERT_TRUE(edit.SetComma(false));
            ASSERT_TRUE(edit.SetZeroFormat(true));
            ASSERT_TRUE(edit.SetMaxDegits(4));
            break;
        case Field::ReadOnlyAmount: edit.setReadOnly(true); break;
    }
}

// A window holding the control and a second edit to move the focus to.
struct EditWindow {
    QWidget window;
    TNumEdit* edit = new TNumEdit(&window);
    QLineEdit* next = new QLineEdit(&window);
    int beeps = 0;

    explicit EditWindow(Field field, std::optional<long double> value = std::nullopt) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(next);
        edit->SetBeep([this] { ++beeps; });
        Prepare(*edit, field);
        if (value) edit->SetValue(*value);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    void Leave() { QTest::keyClick(edit, Qt::Key_Tab); }
};

struct TypingCase {
    const char* name;
    Field field;
    std::optional<long double> assigned;  // Value before the focus comes in
    const char* keys;                     // \b is Backspace, \x7f Delete
    const char* whileTyping;
    const char* afterLeaving;
    int beeps;
};
void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class NumEditTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(NumEditTyping, ShowsTheNumberTypedSoFarAndItsFinalFormOnLeaving) {
    const TypingCase& c = GetParam();
    EditWindow w(c.field, c.assigned);
    for (char key : std::string(c.keys)) {
        if (key == '\b') {
            QTest::keyClick(w.edit, Qt::Key_Backspace);
        } else if (key == '\x7f') {
            QTest::keyClick(w.edit, Qt::Key_Delete);
        } else {
            QTest::keyClicks(w.edit, QString(QLatin1Char(key)));
        }
    }
    EXPECT_EQ(w.edit->Text(), QString::fromUtf8(c.whileTyping));
    w.Leave();
    EXPECT_EQ(w.edit->Text(), QString::fromUtf8(c.afterLeaving));
    EXPECT_EQ(w.beeps, c.beeps);
}

const TypingCase kTypingCases[] = {
    // Rate fields: two integer and three decimal digits.
    {"RateWhole", Field::Rate, {}, "18", "18", "18.000", 0},
    {"RateDecimal", Field::Rate, {}, "18.5", "18.5", "18.500", 0},
    {"RateThirdIntegerDigitBeeps", Field::Rate, {}, "181", "18", "18.000", 1},
    {"RateFourthDecimalBeeps", Field::Rate, {}, "18.1234", "18.123", "18.123", 1},
    {"RateSecondPointBeeps", Field::Rate, {}, "1..5", "1.5", "1.500", 1},
    {"RateMinusBeeps", Field::Rate, {}, "-", "", "0", 1},
    {"RateBackspaceDropsOneShownDecimal", Field::Rate, 18, "\b", "18.00", "18.000", 0},
    {"RateBackspaceThroughTheDecimals", Field::Rate, {}, "12.34\b", "12.3", "12.300", 0},
    {"RateBackspaceLastDecimal", Field::Rate, {}, "12.3\b", "12", "12.000", 0},
    {"RateBackspaceWithdrawsABarePoint", Field::Rate, {}, "1.\b5", "15", "15.000", 0},
    {"RateDeleteEndsDecimalEntry",
     Field::Rate,
     {},
     "12.34\x7f"
     "5",
     "5",
     "5.000",
     0},
    {"RateTypingOverTheSelectionRestarts", Field::Rate, 29.2L, "18", "18", "18.000", 0},
    // Amount fields: the control's defaults.
    {"AmountSeparators", Field::Amount, {}, "1234567", "1,234,567", "1,234,567", 0},
    {"AmountTenthDigitBeeps", Field::Amount, {}, "1234567890", "123,456,789", "123,456,789", 1},
    {"AmountPointAndMinusBeep", Field::Amount, {}, "12.-3", "123", "123", 2},
    {"AmountOtherCharactersIgnored", Field::Amount, {}, "a1 b2x", "12", "12", 0},
    {"AmountBackspace", Field::Amount, {}, "1234\b", "123", "123", 0},
    {"AmountDelete", Field::Amount, 5000, "\x7f", "0", "0", 0},
    {"AmountNewFieldIsEmptyUntilLeft", Field::Amount, {}, "", "", "0", 0},
    {"AmountReadOnlyTakesNothing", Field::ReadOnlyAmount, 5, "12\b\x7f", "5", "5", 0},
    // Row numbers of the bulk tools: three digits, no separators.
    {"RowNumberFourthDigitBeeps", Field::RowNumber, {}, "1234", "123", "123", 1},
    // Sign and leading character.
    {"NegativeWithLeadingYen", Field::NegativeYen, {}, "1234-", "-\u00A51,234", "-\u00A51,234", 0},
    {"NegativeBackspace", Field::NegativeYen, {}, "1234-\b", "-\u00A5123", "-\u00A5123", 0},
    // Zero shown as nothing.
    {"ZeroHiddenAfterDelete", Field::ZeroHidden, {}, "5\x7f", "", "", 0},
    {"ZeroHiddenNewField", Field::ZeroHidden, 0, "", "", "", 0},
    // Zero-padded codes.
    {"ZeroPaddedAssigned", Field::ZeroPadded4, 7, "", "0007", "0007", 0},
    {"ZeroPaddedTyped", Field::ZeroPadded4, {}, "12", "0012", "0012", 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, NumEditTyping, ::testing::ValuesIn(kTypingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumEditTyping, ArrowKeysLeaveTheCaretAfterTheNumber) {
    EditWindow w(Field::Amount);
    QTest::keyClicks(w.edit, QStringLiteral("1234"));
    QTest::keyClick(w.edit, Qt::Key_Left);
    QTest::keyClick(w.edit, Qt::Key_Left);
    QTest::keyClicks(w.edit, QStringLiteral("5"));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("12,345"));
    EXPECT_EQ(w.edit->cursorPosition(), w.edit->Text().size());
}

struct AssignCase {
    const char* name;
    Field field;
    long double value;
    const char* text;
    long double kept;
};
void PrintTo(const AssignCase& c, std::ostream* os) { *os << c.name; }

class NumEditAssign : public ::testing::TestWithParam<AssignCase> {};

TEST_P(NumEditAssign, FormatsTheAssignedValue) {
    const AssignCase& c = GetParam();
    TNumEdit edit;
    Prepare(edit, c.field);
    edit.SetValue(c.value);
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.text));
    EXPECT_EQ(edit.Value(), c.kept);
}

const AssignCase kAssignCases[] = {
    {"AmountSeparators", Field::Amount, 1234567, "1,234,567", 1234567},
    {"AmountNegative", Field::Amount, -1234, "-1,234", -1234},
    {"AmountBeyondTheTypedLimit", Field::Amount, 12345678901.0L, "12,345,678,901", 12345678901.0L},
    // A whole-number field rounds a half away from zero.
    {"AmountHalfRoundsAway", Field::Amount, 2.5L, "3", 3},
    {"AmountNegativeHalfRoundsAway", Field::Amount, -2.5L, "-3", -3},
    {"AmountTinyFractionIsZero", Field::Amount, 1e-5L, "0", 0},
    {"RateShowsThreeDecimals", Field::Rate, 29.2L, "29.200", 29.2L},
    {"RateDecimalsFromFifteenDigits", Field::Rate, 0.1L + 0.2L, "0.300", 0.1L + 0.2L},
    {"RateZero", Field::Rate, 0, "0", 0},
    {"ZeroPadded", Field::ZeroPadded4, 7, "0007", 7},
    {"ZeroPaddedNegative", Field::ZeroPadded4, -7, "-0007", -7},
    {"LeadingCharAfterTheSign", Field::NegativeYen, -500, "-\u00A5500", -500},
    {"ZeroHidden", Field::ZeroHidden, 0, "", 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, NumEditAssign, ::testing::ValuesIn(kAssignCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The rule-bound properties as one snapshot, to see that a refused
// assignment changes none of them.
struct Properties {
    bool comma;
    int maxDegits;
    int fixDecimal;
    bool zeroFormat;
    bool fixZeroFormat;
    long double valueLimit;
    bool operator==(const Properties&) const = default;
};

Properties PropertiesOf(const TNumEdit& e) {
    return {e.Comma(), e.MaxDegits(), e.FixDecimal(), e.ZeroFormat(), e.FixZeroFormat(), e.ValueLimit()};
}

struct RuleCase {
    const char* name;
    std::function<void(TNumEdit&)> prepare;
    std::function<bool(TNumEdit&)> assign;
    const char* refusal;  // nullptr: accepted
    std::function<void(const TNumEdit&)> check;
};
void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

void NoPreparation(TNumEdit&) {}
void NoCheck(const TNumEdit&) {}
void ZeroFormatted(TNumEdit& e) {
    e.SetComma(false);
    e.SetZeroFormat(true);
}

class NumEditRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(NumEditRules, RefusedAssignmentsKeepEveryPropertyAndGiveTheRule) {
    const RuleCase& c = GetParam();
    TNumEdit edit;
    c.prepare(edit);
    const Properties before = PropertiesOf(edit);
    const bool accepted = c.assign(edit);
    if (c.refusal == nullptr) {
        EXPECT_TRUE(accepted);
        EXPECT_TRUE(edit.LastRefusal().isEmpty());
        c.check(edit);
    } else {
        EXPECT_FALSE(accepted);
        EXPECT_EQ(edit.LastRefusal(), QString::fromUtf8(c.refusal));
        EXPECT_TRUE(PropertiesOf(edit) == before);
    }
}

const RuleCase kRuleCases[] = {
    {"MaxDegitsBelowOne", NoPreparation, [](TNumEdit& e) { return e.SetMaxDegits(0); },
     "MaxDegitsは、1～15の範囲で指定して下さい。", NoCheck},
    {"MaxDegitsAboveFifteen", NoPreparation, [](TNumEdit& e) { return e.SetMaxDegits(16); },
     "MaxDegitsは、1～15の範囲で指定して下さい。", NoCheck},
    {"FixDecimalNegative", NoPreparation, [](TNumEdit& e) { return e.SetFixDecimal(-1); },
     "FixDecimalは、0～14の範囲で指定して下さい。", NoCheck},
    {"FixDecimalAboveFourteen", NoPreparation, [](TNumEdit& e) { return e.SetFixDecimal(15); },
     "FixDecimalは、0～14の範囲で指定して下さい。", NoCheck},
    {"FixDecimalWithZeroFormat", ZeroFormatted, [](TNumEdit& e) { return e.SetFixDecimal(2); },
     "FixDecimalは、ZeroFormatがTrueの場合、0を指定して下さい。", NoCheck},
    {"ZeroFormatWithDecimalsBeforeComma", [](TNumEdit& e) { e.SetFixDecimal(2); },
     [](TNumEdit& e) { return e.SetZeroFormat(true); },
     "ZeroFormatは、FixDecimalが0以外の場合、Falseを指定して下さい。", NoCheck},
    {"ZeroFormatWithComma", NoPreparation, [](TNumEdit& e) { return e.SetZeroFormat(true); },
     "ZeroFormatは、CommaがTrueの場合、Falseを指定して下さい。", NoCheck},
    {"ZeroFormatWithFixZeroFormat",
     [](TNumEdit& e) {
         SetUpRateEdit(e);
         e.SetFixDecimal(0);
     },
     [](TNumEdit& e) { return e.SetZeroFormat(true); },
     "ZeroFormatは、FixZeroFormatがTrueの場合、Falseを指定して下さい。", NoCheck},
    {"FixZeroFormatWithoutDecimals", NoPreparation, [](TNumEdit& e) { return e.SetFixZeroFormat(true); },
     "FixZeroFormatは、FixDecimalが0の場合、Falseを指定して下さい。", NoCheck},
    {"FixZeroFormatWithComma", [](TNumEdit& e) { e.SetFixDecimal(3); },
     [](TNumEdit& e) { return e.SetFixZeroFormat(true); },
     "FixZeroFormatは、CommaがTrueの場合、Falseを指定して下さい。", NoCheck},
    {"CommaWithZeroFormat", ZeroFormatted, [](TNumEdit& e) { return e.SetComma(true); },
     "Commaは、ZeroFormatがTrueの場合、Falseを指定して下さい。", NoCheck},
    {"CommaWithFixZeroFormat", SetUpRateEdit, [](TNumEdit& e) { return e.SetComma(true); },
     "Commaは、FixZeroFormatがTrueの場合、Falseを指定して下さい。", NoCheck},
    {"CommaOffAtAThousand", [](TNumEdit& e) { e.SetValue(1000); }, [](TNumEdit& e) { return e.SetComma(false); },
     "Commaの変更は，Valueを「０」にしてから行って下さい。", NoCheck},
    {"CommaOnAgainAtAThousand", [](TNumEdit& e) { e.SetValue(1000); }, [](TNumEdit& e) { return e.SetComma(true); },
     "Commaの変更は，Valueを「０」にしてから行って下さい。", NoCheck},
    {"CommaOffAt999", [](TNumEdit& e) { e.SetValue(999); }, [](TNumEdit& e) { return e.SetComma(false); }, nullptr,
     [](const TNumEdit& e) { EXPECT_FALSE(e.Comma()); }},
    {"MaxDegitsLowersFixDecimal", [](TNumEdit& e) { e.SetFixDecimal(5); },
     [](TNumEdit& e) { return e.SetMaxDegits(12); }, nullptr,
     [](const TNumEdit& e) {
         EXPECT_EQ(e.FixDecimal(), 3);
         EXPECT_EQ(e.ValueLimit(), 1e12L);
     }},
    {"FixDecimalLowersMaxDegitsAndItsLimit", NoPreparation, [](TNumEdit& e) { return e.SetFixDecimal(10); }, nullptr,
     [](const TNumEdit& e) {
         EXPECT_EQ(e.MaxDegits(), 5);
         EXPECT_EQ(e.ValueLimit(), 1e5L);
     }},
    {"FalseIsTakenWhateverElseHolds", SetUpRateEdit, [](TNumEdit& e) { return e.SetFixZeroFormat(false); }, nullptr,
     [](const TNumEdit& e) { EXPECT_FALSE(e.FixZeroFormat()); }},
};

INSTANTIATE_TEST_SUITE_P(Cases, NumEditRules, ::testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumEditRules, ARefusedAssignmentIsForgottenAfterAnAcceptedOne) {
    TNumEdit edit;
    EXPECT_FALSE(edit.SetMaxDegits(0));
    EXPECT_FALSE(edit.LastRefusal().isEmpty());
    EXPECT_TRUE(edit.SetMaxDegits(3));
    EXPECT_TRUE(edit.LastRefusal().isEmpty());
}

// Text that arrives other than by typed keys goes through the same rules.
TEST(NumEditForeignText, PastedTextIsTypedOrRefusedWhole) {
    EditWindow w(Field::Amount);
    QGuiApplication::clipboard()->setText(QStringLiteral("\u00A51,234円"));
    QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), QStringLiteral("1,234"));
    EXPECT_EQ(w.beeps, 0);

    QGuiApplication::clipboard()->setText(QStringLiteral("12 abc"));
    QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), QStringLiteral("1,234"));
    EXPECT_EQ(w.beeps, 1);

    w.edit->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("１，２３４，５６７，８９０"));  // full-width, ten digits
    QTest::keyClick(w.edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w.edit->Text(), QStringLiteral("123,456,789"));
    EXPECT_EQ(w.beeps, 2);
}

TEST(NumEditForeignText, PastedRateKeepsTheDecimalLimit) {
    EditWindow w(Field::Rate, 29.2L);
    EXPECT_TRUE(w.edit->PasteText(QStringLiteral("18.1234%")));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("18.123"));
    EXPECT_EQ(w.beeps, 1);
    // Typed after the three decimals: the digit and the sign the field
    // cannot take both beep.
    EXPECT_TRUE(w.edit->PasteText(QStringLiteral("-5")));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("18.123"));
    EXPECT_EQ(w.beeps, 3);
}

TEST(NumEditForeignText, DroppedTextGoesThroughTheRules) {
    EditWindow w(Field::Amount, 0);
    w.edit->selectAll();
    auto drop = [&](const QString& text) {
        QMimeData mime;
        mime.setText(text);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Straight to the control's handler: the application passes a drop on
        // only while a drag it started is under way.
        static_cast<QObject*>(w.edit)->event(&event);
    };
    drop(QStringLiteral("4,500"));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("4,500"));
    drop(QStringLiteral("4.500円x"));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("4,500"));
    EXPECT_EQ(w.beeps, 1);
}

TEST(NumEditForeignText, EditingKeysOfThePlatformChangeNothing) {
    EditWindow w(Field::Amount);
    QTest::keyClicks(w.edit, QStringLiteral("98765"));
    QTest::keyClick(w.edit, Qt::Key_X, Qt::ControlModifier);          // cut
    QTest::keyClick(w.edit, Qt::Key_Z, Qt::ControlModifier);          // undo
    QTest::keyClick(w.edit, Qt::Key_Backspace, Qt::ControlModifier);  // a word back: one digit, as Backspace
    EXPECT_EQ(w.edit->Text(), QStringLiteral("9,876"));
    EXPECT_EQ(w.edit->Value(), 9876);
}

TEST(NumEditForeignText, TextSetPastTheControlBecomesAValueOrIsUndone) {
    TNumEdit edit;
    SetUpRateEdit(edit);
    edit.SetValue(5);
    QLineEdit& plain = edit;
    plain.setText(QStringLiteral("18.5"));
    EXPECT_EQ(edit.Value(), 18.5L);
    EXPECT_EQ(edit.Text(), QStringLiteral("18.500"));
    plain.setText(QStringLiteral("181"));  // beyond two integer digits
    EXPECT_EQ(edit.Text(), QStringLiteral("18.500"));
    plain.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.Text(), QStringLiteral("18.500"));
    EXPECT_EQ(edit.Value(), 18.5L);
}

TEST(NumEditFocus, LeavingMarksModifiedOnlyWhenTheValueChanged) {
    EditWindow w(Field::Amount, 500);
    w.Leave();
    EXPECT_FALSE(w.edit->isModified());
    w.edit->setFocus();
    EXPECT_EQ(w.edit->selectedText(), QStringLiteral("500"));  // AutoSelect
    QTest::keyClicks(w.edit, QStringLiteral("500"));           // the same value typed again
    w.Leave();
    EXPECT_FALSE(w.edit->isModified());
    w.edit->setFocus();
    QTest::keyClicks(w.edit, QStringLiteral("7"));
    EXPECT_FALSE(w.edit->isModified());
    w.Leave();
    EXPECT_TRUE(w.edit->isModified());
    EXPECT_EQ(w.edit->FocusValue(), 500);
}

TEST(NumEditFocus, WithoutAutoSelectTypingAppends) {
    EditWindow w(Field::Amount);
    w.edit->SetAutoSelect(false);
    w.edit->SetValue(12);
    w.Leave();
    w.edit->setFocus();
    EXPECT_FALSE(w.edit->hasSelectedText());
    QTest::keyClicks(w.edit, QStringLiteral("3"));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("123"));
}

TEST(NumEditSignals, ChangedFiresWhenTheTextChanges) {
    TNumEdit edit;
    int changes = 0;
    QObject::connect(&edit, &TNumEdit::Changed, [&] { ++changes; });
    edit.SetValue(1000);
    edit.SetValue(1000);
    EXPECT_EQ(changes, 1);
    edit.SetValue(1000.4L);  // rounds to the same text
    EXPECT_EQ(changes, 1);
    edit.SetValue(2000);
    EXPECT_EQ(changes, 2);
}

TEST(NumEditKeyPress, TheHandlerSeesAndMayDropEachCharacter) {
    EditWindow w(Field::Amount);
    QString seen;
    w.edit->SetKeyPress([&](QChar& c) {
        seen.append(c);
        if (c == QLatin1Char('5')) c = QChar();
        if (c == QLatin1Char('x')) c = QLatin1Char('9');
    });
    QTest::keyClicks(w.edit, QStringLiteral("15x"));
    EXPECT_EQ(seen, QStringLiteral("15x"));
    EXPECT_EQ(w.edit->Text(), QStringLiteral("19"));
}

TEST(NumEditLook, RightAlignedWithTheInputMethodClosed) {
    TNumEdit edit;
    EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
    EXPECT_FALSE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    edit.setReadOnly(true);
    edit.setReadOnly(false);
    EXPECT_FALSE(edit.testAttribute(Qt::WA_InputMethodEnabled));
}

}  // namespace
}  // namespace korvalen::wizard
