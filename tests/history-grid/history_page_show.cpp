// Shows the history page, or one of the result tables, with a five-year
// history of 60 entries on a real display, for a screenshot:
//   history_page_show page|typing|lender|recalc [seconds]
// "typing" shows the date being typed into the first empty row.
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/dates.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/shell/widget_messages.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/result_table_view.h"

using namespace korvalen;

namespace {

// A borrowing of 500,000 yen, monthly repayments of 20,000 yen and two
// further borrowings: 60 entries from 2003 to 2007.
engine::HistoryList SixtyEntries() {
    engine::HistoryList list;
    for (int i = 0; i < 60; ++i) {
        auto e = std::make_unique<engine::HistoryEntry>();
        e->date = engine::DayNumberFromCivil(2003 + (i / 12), 1 + i % 12, 10);
        e->order = i;
        e->borrowing = i == 0 ? 500000 : (i == 20 || i == 41) ? 100000 : 0;
        e->repayment = (i == 0 || i == 20 || i == 41) ? 0 : 20000;
        e->rate = 292000;
        list.push_back(std::move(e));
    }
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    printing::InstallFontSubstitutes();
    const std::string what = argc > 1 ? argv[1] : "page";
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 5;

    shell::WidgetMessages messages;
    engine::HistoryList history = SixtyEntries();
    engine::CaseRecord settings;
    settings.RIRITSU = 29.2;
    settings.KABARAI_RIRITSU = 5;

    QWidget window;
    window.setWindowTitle(QStringLiteral("引直計算の入力ウイザード"));
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(212, 212, 200));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);

    if (what == "page" || what == "typing") {
        auto* page = new wizard::HistoryPage(messages);
        page->SetHistory(&history);
        page->SetContractRate(settings.RIRITSU);
        page->FillFromHistory();
        layout->addWidget(page);
        if (what == "typing") {
            wizard::HistoryGridView* grid = page->StringGrid2();
            QTimer::singleShot(300, grid, [grid] {
                const QModelIndex index = grid->GridModel()->IndexOf({wizard::kDateCol, 61});
                grid->setFocus();
                grid->setCurrentIndex(index);
                grid->edit(index);
                if (auto* editor = grid->viewport()->findChild<QLineEdit*>()) {
                    editor->setCursorPosition(0);
                    editor->insert(QStringLiteral("0603"));
                }
            });
        }
    } else {
        const auto kind =
            what == "lender" ? engine::CalculationKind::LenderCalculation : engine::CalculationKind::Recalculation;
        engine::HistoryList copy = engine::CopyHistory(history);
        auto* table = new wizard::ResultTableView(kind);
        table->SetTable(engine::RunCalculation(kind, copy, settings, {false, {}}));
        table->setFixedSize(table->ContentWidth(), 480);
        layout->addWidget(table);
        table->selectRow(2);
    }
    window.move(0, 0);
    window.show();
    window.activateWindow();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
