// Every window of the program opened in turn, read through the
// accessibility interface as a screen reader (or a program driving the
// desktop) reads it: each control a user can reach or read has a name, and
// the grids show their cells.
#include "accessibility_audit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korvalen/engine/dates.h"
#include "korvalen/printing/tav_prv.h"
#include "korvalen/shell/about_box.h"
#include "korvalen/shell/korv_al.h"
#include "korvalen/shell/korv_bu.h"
#include "korvalen/shell/korv_op.h"
#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/modal.h"
#include "korvalen/wizard/bulk_tool_dialog.h"
#include "korvalen/wizard/calendar_form.h"
#include "korvalen/wizard/era_date_entry_form.h"
#include "korvalen/wizard/month_calendar_form.h"
#include "korvalen/wizard/nen4_form.h"
#include "korvalen/wizard/western_date_entry_form.h"
#include "scripted_print.h"
#include "shell_fixture.h"
#include "wizard_fixture.h"

namespace korvalen {
namespace {

using fixtures::AccessibilityFaults;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;

// The faults of each window or page, prefixed with where they were seen,
// so one failure lists everything that is missing.
class Audit {
public:
    void Look(const std::string& where, QWidget* window) {
        for (const std::string& fault : AccessibilityFaults(window)) faults.push_back(where + ": " + fault);
    }
    void Show(const std::string& where, QWidget* window) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << where;
        Look(where, window);
    }
    // One fault a line, for the failure message.
    std::string Report() const {
        std::string text;
        for (const std::string& fault : faults) text += "\n  " + fault;
        return text;
    }
    std::vector<std::string> faults;
};

std::string PageName(const wizard::TTavo50AF& wizard) { return "page " + std::to_string(wizard.CurrentPage()); }

// The sample case: six years of borrowings and repayments, a statement of
// two pages.
std::string SampleHistory() {
    return testsupport::ReadWholeFile(std::string(KORVALEN_SOURCE_DIR) + "/examples/sample.csv");
}

// A dialog with one of each thing a screen reader user would miss, beside
// controls that are named properly.
class FaultyDialog : public QDialog {
public:
    FaultyDialog() {
        auto* layout = new QVBoxLayout(this);
        auto* bar = new QMenuBar(this);
        QMenu* menu = bar->addMenu(QStringLiteral("ファイル(&F)"));
        menu->addAction(QStringLiteral("開く(&O)"));
        menu->addSeparator();
        menu->addAction(QString())->setObjectName(QStringLiteral("IconOnlyAction"));
        layout->setMenuBar(bar);
        Add<QLineEdit>(layout, "Nameless");
        auto* label = Add<QLabel>(layout, "NameLabel");
        label->setText(QStringLiteral("氏名(&N)"));
        label->setBuddy(Add<QLineEdit>(layout, "Labelled"));
        QPixmap picture(16, 16);
        picture.fill(Qt::red);
        Add<QLabel>(layout, "Picture")->setPixmap(picture);
        auto* value = Add<QLabel>(layout, "Value");
        value->setText(QStringLiteral("請求額　12,345円"));
        value->setAccessibleName(QStringLiteral("請求額"));
        auto* finish = Add<QPushButton>(layout, "Finish");
        finish->setText(QStringLiteral("完了"));
        finish->setAccessibleName(QStringLiteral("次へ(N) >"));
        auto* combo = Add<QComboBox>(layout, "Choice");
        combo->addItems({QStringLiteral("常に365日"), QStringLiteral("うるう年は366日")});
        combo->setAccessibleName(QStringLiteral("方式"));
        auto* model = new QStandardItemModel(2, 2, this);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) model->setItem(r, c, new QStandardItem(QStringLiteral("%1-%2").arg(r).arg(c)));
        }
        model->item(1, 1)->setData(QStringLiteral("別の文"), Qt::AccessibleTextRole);
        auto* table = Add<QTableView>(layout, "Table");
        table->setModel(model);
        table->setAccessibleName(QStringLiteral("表"));
    }

private:
    template <typename W>
    W* Add(QVBoxLayout* layout, const char* name) {
        auto* widget = new W(this);
        widget->setObjectName(QString::fromLatin1(name));
        layout->addWidget(widget);
        return widget;
    }
};

TEST(AccessibilityAudit, SeesWhatAScreenReaderUserWouldMiss) {
    FaultyDialog dialog;
    dialog.setWindowTitle(QStringLiteral("試し"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_THAT(AccessibilityFaults(&dialog),
                UnorderedElementsAre(HasSubstr("IconOnlyAction"), StartsWith("Nameless (QLineEdit)"),
                                     StartsWith("Picture (QLabel)"), StartsWith("Value (QLabel) reads \"請求額\""),
                                     StartsWith("Finish (QPushButton) reads \"次へ(N) >\" for \"完了\""),
                                     StartsWith("Choice (QComboBox): no label"),
                                     StartsWith("Table (QTableView): cell 1,1 reads \"別の文\" for \"1-1\"")));
}

TEST(AccessibilityAudit, MainWindowWithItsListAndMenusAndTheAboutBox) {
    shell::fixtures::ShellPc pc;
    pc.StoreCase(0, "アコム株式会社", "山田　太郎", 3);
    pc.StoreCase(1, "プロミス", "佐藤　花子", 12);
    pc.db.RegisterThisPc();
    shell::TKorvalen01F& window = pc.Open();
    pc.ClickRow(1);
    Audit audit;
    audit.Look("TKorvalen01F", &window);

    shell::TKorvABF about(pc.Services(), &window);
    audit.Show("TKorvABF", &about);
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, EveryWizardPageOfANewCaseAsItIsFilledIn) {
    wizard::fixtures::WizardPc f;
    wizard::TTavo50AF& wizard = f.Fresh(0);
    Audit audit;
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    f.TypeInto("LabeledEdit1", QStringLiteral("Acom"));
    f.TypeInto("LabeledEdit2", QStringLiteral("Yamada"));
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    f.datePicker.Answer("20040110");
    f.Click("StartDayBtn");
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    f.TypeInto("NumEdit1", QStringLiteral("100000"));
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    f.TypeInto("NumEdit10", QStringLiteral("29.2"));
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    f.TypeRow(1, QStringLiteral("050110"), QStringLiteral("300000"), QStringLiteral("0"));
    // A row half typed: the cell's editor is open.
    f.ClickCell(wizard::kDateCol, 2);
    f.Type(QStringLiteral("0502"));
    audit.Look(PageName(wizard) + " while typing", &wizard);
    f.Press(Qt::Key_Escape);
    f.NextUntil(wizard::kRecalculationPage);
    audit.Look(PageName(wizard), &wizard);
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, EveryWizardPageOfAStoredCaseWithItsTablesFilled) {
    wizard::fixtures::WizardPc f;
    engine::CaseRecord header = wizard::fixtures::ExampleHeader(3);
    header.START_DAY = engine::DayNumberFromCivil(2000, 1, 4);
    header.NOW_ZAN = 250000;
    f.StoreCase(header, SampleHistory());
    wizard::TTavo50AF& wizard = f.Opened(wizard::WizardOpening::Change, 3);
    Audit audit;
    f.Back();
    audit.Look(PageName(wizard), &wizard);
    f.Next();
    for (int page : {wizard::kNamesPage, wizard::kStartDatePage, wizard::kStartBalancePage, wizard::kRatesPage,
                     wizard::kHistoryPage, wizard::kLenderPage, wizard::kRecalculationPage}) {
        f.NextUntil(page);
        audit.Look(PageName(wizard), &wizard);
    }
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, PreviewOfTheStatementAndItsMagnifier) {
    wizard::fixtures::WizardPc f;
    f.StoreCase(wizard::fixtures::ExampleHeader(3), SampleHistory());
    f.Opened(wizard::WizardOpening::Reference, 3);
    f.Next();
    Audit audit;
    printing::fixtures::PreviewScript script;
    script.Then([&audit](printing::TTavPRVF& preview) {
        audit.Look("TTavPRVF", &preview);
        printing::fixtures::PreviewScript::Press(preview, "GlassBtn");
        QTest::mousePress(preview.findChild<QLabel*>(QStringLiteral("Image1")), Qt::LeftButton, {}, QPoint(200, 200));
        if (preview.Magnifier() != nullptr && preview.Magnifier()->isVisible()) {
            audit.Look("TTavPRV2F", preview.Magnifier());
        } else {
            audit.faults.push_back("TTavPRV2F: the magnifier did not open");
        }
        printing::fixtures::PreviewScript::Press(preview, "SBClose");
    });
    f.Click("PreviewBtn");
    EXPECT_EQ(script.Showings(), 1);
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, TheThreeToolsOfTheHistoryPage) {
    wizard::fixtures::WizardPc f;
    f.StoreCase(wizard::fixtures::ExampleHeader(3), SampleHistory());
    f.Opened(wizard::WizardOpening::Change, 3);
    f.NextUntil(wizard::kHistoryPage);
    Audit audit;
    for (const char* tool : {"RateChangeBtn", "GenerateBtn", "RangeDeleteBtn"}) {
        bool opened = false;
        testsupport::AnswerModal<wizard::BulkToolDialog>([&](wizard::BulkToolDialog* dialog) {
            opened = true;
            audit.Look(dialog->metaObject()->className(), dialog);
            dialog->done(QDialog::Rejected);
        });
        f.Click(tool);
        EXPECT_TRUE(opened) << tool;
    }
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, TheFourDateInputs) {
    platform::ScriptedMessages messages;
    const engine::DayNumber today = engine::DayNumberFromCivil(2024, 5, 3);
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
    } inputs[] = {
        {"TCalendarF", [&] { return std::make_unique<wizard::TCalendarF>(today, today); }},
        {"TDysinpF", [&] { return std::make_unique<wizard::TDysinpF>(messages, today); }},
        {"TDyginpF", [&] { return std::make_unique<wizard::TDyginpF>(messages, today); }},
        {"TMonCalendarF", [&] { return std::make_unique<wizard::TMonCalendarF>(2024, 5, 2024, 5); }},
    };
    Audit audit;
    for (const auto& input : inputs) {
        std::unique_ptr<QDialog> dialog = input.make();
        audit.Show(input.name, dialog.get());
    }
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

TEST(AccessibilityAudit, TheDialogsOfTheMenus) {
    shell::fixtures::ShellPc pc;
    pc.db.RegisterThisPc();
    shell::TKorvalen01F& window = pc.Open();
    Audit audit;

    wizard::TNEN4F dateInput(pc.settings, pc.messages, pc.clock, &window);
    audit.Show("TNEN4F", &dateInput);

    shell::TKorvOPF options(pc.Services(), &window);
    audit.Show("TKorvOPF", &options);

    std::string lastChosenFolder;
    shell::TKorvALF folder(pc.Services(), lastChosenFolder, nullptr, &window);
    audit.Show("TKorvALF", &folder);

    shell::TKorvBUF backup(
        pc.db, pc.settings, pc.messages, pc.clock, [] {}, &window);
    auto* tabs = backup.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(tabs, nullptr);
    backup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&backup));
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        audit.Look("TKorvBUF tab " + tabs->tabText(tab).toStdString(), &backup);
    }
    EXPECT_TRUE(audit.faults.empty()) << audit.Report();
}

}  // namespace
}  // namespace korvalen
