// One PC for the wizard's tests: a database folder with real tables, the
// message script, a scripted date picker, a print dialog answered by the
// test, and the wizard driven by object name with typed keys and clicks.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvalen/engine/case_model.h"
#include "korvalen/engine/history_csv.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/result_table_view.h"
#include "korvalen/wizard/tavo50a_form.h"
#include "korvalen/wizard/wizard_launcher.h"
#include "scripted_print.h"
#include "storage_fixture.h"

namespace korvalen::wizard::fixtures {

// Answers PickDate from a queue (empty, as a cancel, when the queue is
// empty) and records the window that asked.
class ScriptedDatePicker final : public DatePicker {
public:
    void Answer(std::string digits) { answers_.push_back(std::move(digits)); }
    std::string PickDate(QWidget* window) override {
        askedBy.push_back(window);
        if (answers_.empty()) return {};
        std::string answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::vector<QWidget*> askedBy;

private:
    std::deque<std::string> answers_;
};

// Waits until `window` is the one the keys go to: the platform may still
// be activating the window shown before it.
inline void Activate(QWidget* window) {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
}

inline constexpr double kContractRate = 29.2;

// The case of the lender's and the recalculation's worked example: 300,000
// borrowed on 2005-01-10 and 20,000 repaid on 2005-02-10 and 2005-03-10.
inline constexpr std::string_view kThreeEntries =
    "2005-01-10,300000,0\n"
    "2005-02-10,0,20000\n"
    "2005-03-10,0,20000\n";

inline engine::CaseRecord ExampleHeader(std::int32_t seq) {
    engine::CaseRecord header;
    header.SEQ = seq;
    header.GYOSYA_NAME = "アコム株式会社";
    header.NAME = "山田太郎";
    header.RIRITSU = kContractRate;
    header.SYONITI_UMU = false;
    header.KABARAI_RIRITSU = 5;
    return header;
}

// The wizard driven by object name, as the user drives it.
struct WizardDriver {
    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* found = wizard->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(const char* button) { QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton); }
    void Next() { Click("NextBtn"); }
    void Back() { Click("BackBtn"); }
    int Page() const { return wizard->CurrentPage(); }
    QString Caption(const char* button) const { return Find<QAbstractButton>(button)->text(); }
    // Next until `page` shows; fails when a page keeps the wizard.
    void NextUntil(int page) {
        while (Page() != page) {
            const int before = Page();
            Next();
            if (Page() == before) {
                ADD_FAILURE() << "the wizard stays on page " << before;
                return;
            }
        }
    }

    // Keys go where the user's keys go: to the focused widget.
    void Type(const QString& text) {
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    void TypeInto(const char* name, const QString& text) {
        QWidget* field = Find(name);
        field->setFocus();
        for (QChar c : text) QTest::keyClick(field, c.toLatin1());
    }

    HistoryGridView* Grid() const { return Find<HistoryGridView>("StringGrid2"); }
    void ClickCell(int col, int row) {
        HistoryGridView* grid = Grid();
        const QModelIndex index = grid->GridModel()->IndexOf({col, row});
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    // A row typed into the grid: date digits, Tab, borrowing, Tab,
    // repayment, Tab, and Tab over the rate.
    void TypeRow(int row, const QString& date, const QString& borrowing, const QString& repayment) {
        ClickCell(kDateCol, row);
        Type(date);
        Press(Qt::Key_Tab);
        Type(borrowing);
        Press(Qt::Key_Tab);
        Type(repayment);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
    }
    QString GridText(int col, int row) const { return Grid()->GridModel()->IndexOf({col, row}).data().toString(); }
    // A cell of a result table: row 1 is the first entry.
    QString TableText(const char* table, int row, int col) const {
        return Find<ResultTableView>(table)->model()->index(row - 1, col).data().toString();
    }

    TTavo50AF* wizard = nullptr;
};

struct WizardPc : WizardDriver {
    WizardPc() { pc.db().DataModuleCreate(); }
    ~WizardPc() {
        owned.reset();
        EXPECT_THAT(pc.messages.Faults(), ::testing::IsEmpty());
    }

    WizardServices Services() { return {pc.db(), pc.messages, datePicker, print}; }

    void StoreCase(const engine::CaseRecord& header, std::string_view csv = kThreeEntries) {
        const engine::HistoryList history = engine::ReadHistoryCsv(csv, header).entries;
        storage::SaveCase(pc.db().TableDatabase1(), header, history);
    }
    std::optional<storage::StoredCase> Stored(std::int32_t seq) {
        return storage::LoadCase(pc.db().TableDatabase1(), seq);
    }

    // A wizard just made, on its start page, for a new case `seq`.
    TTavo50AF& Fresh(std::int32_t seq = 0) {
        owned = std::make_unique<TTavo50AF>(Services());
        owned->SetCaseHandle({seq, 0});
        owned->PrepareNewCase();
        return Show();
    }
    // The wizard as the main window opens it, shown without a modal loop.
    TTavo50AF& Opened(WizardOpening opening, std::int32_t seq) {
        owned = std::make_unique<TTavo50AF>(Services());
        WizardLauncher::Prepare(*owned, opening, {seq, 0});
        return Show();
    }
    TTavo50AF& Show() {
        wizard = owned.get();
        wizard->show();
        Activate(wizard);
        return *wizard;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : pc.messages.Shown()) texts.push_back(shown.text);
        return texts;
    }

    testsupport::TempFolder root{"korvalen-wizard"};
    storage::fixtures::TestPc pc{root.path()};
    ScriptedDatePicker datePicker;
    printing::fixtures::ScriptedPrintDialog printDialog;
    QString pdfPath;  // where a PDF save is told to write
    printing::PrintServices print{printDialog, pc.messages, pc.clock,
                                  [this](QWidget*, const QString&, const QString&) { return pdfPath; }};
    std::unique_ptr<TTavo50AF> owned;
};

}  // namespace korvalen::wizard::fixtures
