// The wizard of a stored case, opened for a change and led to its history
// page, with the tools' dialogs driven from inside their modal loops.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korvalen/engine/history_csv.h"
#include "korvalen/engine/repayment_generation.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/testsupport/modal.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/num_edit.h"
#include "korvalen/wizard/tavo50a_form.h"
#include "korvalen/wizard/wizard_launcher.h"
#include "scripted_print.h"
#include "storage_fixture.h"

namespace korvalen::wizard::fixtures {

inline constexpr double kContractRate = 29.2;
inline constexpr std::int32_t kSeq = 1;

// Entry n (1, 2, …) on the 10th of the n-th month of 2023, borrowing
// n × 10,000 yen and repaying n × 1,000, so each row is told apart.
inline std::string Numbered(int count) {
    std::string csv;
    for (int n = 1; n <= count; ++n) {
        const engine::DayNumber day = engine::AddMonths(engine::DayNumberFromCivil(2023, 1, 10), n - 1);
        csv += engine::FormatIsoDate(day) + "," + std::to_string(n * 10000) + "," + std::to_string(n * 1000) + "\n";
    }
    return csv;
}

class NoDatePicker final : public DatePicker {
public:
    std::string PickDate(QWidget*) override { return {}; }
};

struct ToolsPc {
    ToolsPc() { pc.db().DataModuleCreate(); }
    ~ToolsPc() {
        wizard.reset();
        EXPECT_THAT(pc.messages.Faults(), ::testing::IsEmpty());
    }

    // The case with `csv` as its history (and a start date when given),
    // opened for a change and shown on its history page.
    TTavo50AF& Open(const std::string& csv, engine::DayNumber startDay = 0) {
        engine::CaseRecord header;
        header.SEQ = kSeq;
        header.GYOSYA_NAME = "アコム株式会社";
        header.NAME = "山田太郎";
        header.RIRITSU = kContractRate;
        header.START_DAY = startDay;
        const engine::HistoryList history =
            csv.empty() ? engine::HistoryList{} : engine::ReadHistoryCsv(csv, header).entries;
        storage::SaveCase(pc.db().TableDatabase1(), header, history);

        wizard = std::make_unique<TTavo50AF>(WizardServices{pc.db(), pc.messages, datePicker, print});
        WizardLauncher::Prepare(*wizard, WizardOpening::Change, {kSeq, 0});
        wizard->move(120, 60);
        wizard->show();
        wizard->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(wizard.get()));
        while (wizard->CurrentPage() != kHistoryPage) {
            const int before = wizard->CurrentPage();
            wizard->NextBtnClick();
            if (wizard->CurrentPage() == before) {
                ADD_FAILURE() << "the wizard stays on page " << before;
                break;
            }
        }
        return *wizard;
    }

    // Clicks a tool button of the history page and runs `drive` on the
    // dialog it opens; a dialog the test left open is closed, as a failure.
    template <typename Dialog>
    void UseTool(const char* button, std::function<void(Dialog&)> drive) {
        bool ran = false;
        testsupport::AnswerModal<Dialog>([&](Dialog* dialog) {
            ran = true;
            // Keys go to the active window, as the user's do. A dialog counts
            // as active while its wizard is, so the wait is for the focus.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; })) << button;
            drive(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << button << ": the dialog is still open";
                dialog->done(QDialog::Rejected);
            }
        });
        QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton);
        EXPECT_TRUE(ran) << button << " opened no dialog";
    }

    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* found = wizard->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    const engine::HistoryList& History() const { return wizard->History(); }
    QString GridText(int col, int row) const {
        return Find<HistoryGridView>("StringGrid2")->GridModel()->IndexOf({col, row}).data().toString();
    }
    QString Total(const char* name) const { return Find<TNumEdit>(name)->text(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : pc.messages.Shown()) texts.push_back(shown.text);
        return texts;
    }

    testsupport::TempFolder root{"korvalen-bulk-tools"};
    storage::fixtures::TestPc pc{root.path()};
    NoDatePicker datePicker;
    printing::fixtures::ScriptedPrintDialog printDialog;
    printing::PrintServices print{printDialog, pc.messages, pc.clock};
    std::unique_ptr<TTavo50AF> wizard;
};

// Keys typed where the user's keys go: into the widget with the focus.
inline void TypeInto(QWidget* widget, const QString& text) {
    widget->setFocus();
    QTest::keyClicks(widget, text);
}

}  // namespace korvalen::wizard::fixtures
