// The real main window opening the real wizard: what the user does in the
// wizard shows in the case list afterwards.
#include <QRadioButton>
#include <ostream>

#include "shell_fixture.h"
#include "wizard_fixture.h"

namespace korvalen::wizard {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct ListCase {
    const char* name;
    const char* button;
    int row;  // selected first; -1: none
    void (*drive)(fixtures::WizardDriver&, platform::ScriptedMessages&);
    std::vector<std::string> rows;
};
void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class WizardFromMainWindow : public ::testing::TestWithParam<ListCase> {};

TEST_P(WizardFromMainWindow, TheListShowsWhatTheWizardDid) {
    const ListCase& c = GetParam();
    shell::fixtures::ShellPc pc;
    pc.StoreCase(0, "アコム", "山田太郎", 3);
    pc.StoreCase(1, "レイク", "鈴木一郎", 2);
    fixtures::ScriptedDatePicker datePicker;
    printing::fixtures::ScriptedPrintDialog printDialog;
    printing::PrintServices print{printDialog, pc.messages, pc.clock};
    WizardLauncher launcher({pc.db, pc.messages, datePicker, print});
    pc.window = std::make_unique<shell::TKorvalen01F>(pc.Services(), launcher);
    pc.window->FormCreate();
    pc.window->show();
    pc.window->activateWindow();
    // The wizard comes up over an active main window, as on a desktop.
    ASSERT_TRUE(QTest::qWaitForWindowActive(pc.window.get()));

    bool driven = false;
    shell::fixtures::AnswerModal<TTavo50AF>([&](TTavo50AF* wizard) {
        fixtures::Activate(wizard);
        fixtures::WizardDriver driver;
        driver.wizard = wizard;
        c.drive(driver, pc.messages);
        driven = true;
        // A wizard the script left open is closed, so the test goes on.
        if (wizard->isVisible()) wizard->reject();
    });
    if (c.row >= 0) pc.ClickRow(c.row);
    pc.Click(c.button);

    EXPECT_TRUE(driven);
    EXPECT_THAT(pc.Rows(), ElementsAreArray(c.rows));
    EXPECT_THAT(pc.messages.Faults(), ::testing::IsEmpty());
}

void TypeNewCase(fixtures::WizardDriver& d, platform::ScriptedMessages&) {
    EXPECT_EQ(d.Page(), kNamesPage);
    d.TypeInto("LabeledEdit1", QStringLiteral("Promise"));
    d.TypeInto("LabeledEdit2", QStringLiteral("Sato"));
    d.NextUntil(kRatesPage);
    d.TypeInto("NumEdit10", QStringLiteral("18"));
    d.Next();
    d.TypeRow(1, QStringLiteral("050110"), QStringLiteral("100000"), QStringLiteral("0"));
    d.TypeRow(2, QStringLiteral("050210"), QStringLiteral("0"), QStringLiteral("10000"));
    d.NextUntil(kRecalculationPage);
    d.Next();
}

void RenameCreditor(fixtures::WizardDriver& d, platform::ScriptedMessages&) {
    auto* creditor = d.Find<QLineEdit>("LabeledEdit1");
    creditor->clear();
    d.TypeInto("LabeledEdit1", QStringLiteral("Lake"));
    d.NextUntil(kRecalculationPage);
    d.Next();
}

void DeleteInWizard(fixtures::WizardDriver& d, platform::ScriptedMessages& messages) {
    d.Back();
    QTest::mouseClick(d.Find<QRadioButton>("RadioButton5"), Qt::LeftButton);
    messages.QueueAnswer(platform::Answer::Yes);
    d.Next();
}

void LookAndFinish(fixtures::WizardDriver& d, platform::ScriptedMessages&) {
    EXPECT_EQ(d.Page(), kLenderPage);
    d.Next();
    d.Next();
}

INSTANTIATE_TEST_SUITE_P(
    Openings, WizardFromMainWindow,
    ::testing::Values(
        ListCase{"New", "AddBtn1", -1, TypeNewCase, {"アコム|山田太郎|3", "レイク|鈴木一郎|2", "Promise|Sato|2"}},
        ListCase{"Change", "UpBtn1", 1, RenameCreditor, {"アコム|山田太郎|3", "Lake|鈴木一郎|2"}},
        ListCase{"Delete", "UpBtn1", 0, DeleteInWizard, {"レイク|鈴木一郎|2"}},
        ListCase{"Reference", "RefBtn1", 1, LookAndFinish, {"アコム|山田太郎|3", "レイク|鈴木一郎|2"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvalen::wizard
