// The wizard of a stored case, opened for a change and led to its history
// page, with the tools' dialogs driven from inside their modal loops.
#pragma once

#include <functional>
#include <string>

#include "korvalen/engine/repayment_generation.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/testsupport/modal.h"
#include "korvalen/wizard/num_edit.h"
#include "wizard_fixture.h"

namespace korvalen::wizard::fixtures {

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

struct ToolsPc : WizardPc {
    // The case with `csv` as its history (and a start date when given),
    // opened for a change and shown on its history page.
    TTavo50AF& Open(const std::string& csv, engine::DayNumber startDay = 0) {
        engine::CaseRecord header;
        header.SEQ = kSeq;
        header.GYOSYA_NAME = "アコム株式会社";
        header.NAME = "山田太郎";
        header.RIRITSU = kContractRate;
        header.START_DAY = startDay;
        if (csv.empty()) {
            storage::SaveCase(pc.db().TableDatabase1(), header, engine::HistoryList{});
        } else {
            StoreCase(header, csv);
        }

        owned = std::make_unique<TTavo50AF>(Services());
        WizardLauncher::Prepare(*owned, WizardOpening::Change, {kSeq, 0});
        owned->move(120, 60);
        Show();
        NextUntil(kHistoryPage);
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

    const engine::HistoryList& History() const { return wizard->History(); }
    QString Total(const char* name) const { return Find<TNumEdit>(name)->text(); }
};

// Keys typed where the user's keys go: into the widget with the focus.
inline void TypeInto(QWidget* widget, const QString& text) {
    widget->setFocus();
    QTest::keyClicks(widget, text);
}

}  // namespace korvalen::wizard::fixtures
