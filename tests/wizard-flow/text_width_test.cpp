// The names and the remarks refuse what their columns could not store:
// more Shift-JIS bytes than the column is wide, or a character Shift-JIS
// lacks, however the text comes in.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <ostream>

#include "korvalen/wizard/labeled_edit.h"
#include "wizard_fixture.h"

namespace korvalen::wizard {
namespace {

enum class Way { Keys, InputMethod, Paste };

struct WidthCase {
    const char* name;
    const char* field;
    QString before;  // already in the field
    Way way;
    QString input;
    bool taken;
};
void PrintTo(const WidthCase& c, std::ostream* os) { *os << c.name; }

class WizardTextWidth : public ::testing::TestWithParam<WidthCase> {};

TEST_P(WizardTextWidth, TakesWhatFitsTheColumnAndRefusesTheRestWholeWithABeep) {
    const WidthCase& c = GetParam();
    fixtures::WizardPc f;
    f.Fresh();
    f.Next();
    auto* edit = f.Find<TLabeledEdit>(c.field);
    int beeps = 0;
    edit->SetBeep([&beeps] { ++beeps; });
    edit->setText(c.before);
    edit->setFocus();
    edit->end(false);

    switch (c.way) {
        case Way::Keys: f.Type(c.input); break;
        case Way::InputMethod: {
            QInputMethodEvent commit;
            commit.setCommitString(c.input);
            QCoreApplication::sendEvent(edit, &commit);
            break;
        }
        case Way::Paste:
            QGuiApplication::clipboard()->setText(c.input);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            break;
    }

    EXPECT_EQ(edit->text(), c.taken ? c.before + c.input : c.before);
    EXPECT_EQ(beeps, c.taken ? 0 : 1);
}

const QString k39Ascii(39, QLatin1Char('a'));
const QString k19Kanji(19, QChar(0x6F22));  // 漢: two bytes each
const QString k79Kanji(79, QChar(0x6F22));

INSTANTIATE_TEST_SUITE_P(
    Fields, WizardTextWidth,
    ::testing::Values(
        WidthCase{"LastByteTyped", "LabeledEdit1", k39Ascii, Way::Keys, QStringLiteral("b"), true},
        WidthCase{"ByteBeyondTyped", "LabeledEdit1", k39Ascii + QLatin1Char('a'), Way::Keys, QStringLiteral("b"),
                  false},
        WidthCase{"HalfWidthKanaIsOneByte", "LabeledEdit2", k39Ascii, Way::InputMethod, QStringLiteral("ｱ"), true},
        WidthCase{"KanjiCommitThatFits", "LabeledEdit2", k19Kanji, Way::InputMethod, QStringLiteral("山"), true},
        WidthCase{"KanjiCommitTooLongIsRefusedWhole", "LabeledEdit2", k19Kanji, Way::InputMethod,
                  QStringLiteral("山田"), false},
        WidthCase{"WaveDashCountsAsItsShiftJisForm", "LabeledEdit1", k19Kanji, Way::InputMethod, QStringLiteral("〜"),
                  true},
        WidthCase{"CharacterShiftJisLacks", "LabeledEdit1", QString(), Way::InputMethod, QStringLiteral("𠮷野家"),
                  false},
        WidthCase{"PasteTooLong", "LabeledEdit1", QString(), Way::Paste, QString(41, QLatin1Char('x')), false},
        WidthCase{"RemarksTakeOneHundredSixtyBytes", "LabeledEdit3", k79Kanji, Way::Paste, QStringLiteral("備"), true},
        WidthCase{"RemarksRefuseTheByteBeyond", "LabeledEdit3", k79Kanji + QChar(0x6F22), Way::Keys,
                  QStringLiteral("x"), false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvalen::wizard
