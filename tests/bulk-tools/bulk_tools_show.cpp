// Shows one of the history page's tools over the wizard on a real display,
// with its fields filled in, for a screenshot:
//   bulk_tools_show generate|rate|delete [seconds]
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <string>

#include "korvalen/engine/history_csv.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/shell/widget_messages.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/num_edit.h"
#include "korvalen/wizard/tavo50a_form.h"
#include "korvalen/wizard/wizard_launcher.h"
#include "scripted_print.h"
#include "storage_fixture.h"

using namespace korvalen;

namespace {

class NoDatePicker final : public wizard::DatePicker {
public:
    std::string PickDate(QWidget*) override { return {}; }
};

// A borrowing of 300,000 yen and monthly repayments of 15,000 yen.
std::string History() {
    std::string csv = "2023-01-10,300000,0\n";
    for (int month = 2; month <= 8; ++month) csv += "2023-0" + std::to_string(month) + "-10,0,15000\n";
    return csv;
}

void Type(QWidget* dialog, const char* name, const QString& text) {
    auto* field = dialog->findChild<QWidget*>(QString::fromLatin1(name));
    field->setFocus();
    QTest::keyClicks(field, text);
}

void Fill(QWidget* dialog, const std::string& what) {
    if (what == "generate") {
        dialog->findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"))->setDate({2023, 9, 25});
        dialog->findChild<QDateEdit*>(QStringLiteral("DateTimePicker2"))->setDate({2026, 8, 25});
        dialog->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(0);
        dialog->findChild<QWidget*>(QStringLiteral("CheckBox2"))->setProperty("checked", true);
        Type(dialog, "NumEdit1", QStringLiteral("15000"));
    } else if (what == "rate") {
        Type(dialog, "NumEdit1", QStringLiteral("18"));
        Type(dialog, "NumEdit3", QStringLiteral("3"));
    } else {
        Type(dialog, "NumEdit3", QStringLiteral("5"));
        Type(dialog, "NumEdit1", QStringLiteral("8"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    printing::InstallFontSubstitutes();
    const std::string what = argc > 1 ? argv[1] : "generate";
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 5;

    testsupport::TempFolder root{"korvalen-bulk-tools-show"};
    storage::fixtures::TestPc pc{root.path()};
    pc.db().DataModuleCreate();
    engine::CaseRecord header;
    header.SEQ = 1;
    header.GYOSYA_NAME = "アコム株式会社";
    header.NAME = "山田太郎";
    header.RIRITSU = 29.2;
    storage::SaveCase(pc.db().TableDatabase1(), header, engine::ReadHistoryCsv(History(), header).entries);

    shell::WidgetMessages messages;
    NoDatePicker datePicker;
    printing::fixtures::ScriptedPrintDialog printDialog;
    printing::PrintServices print{printDialog, messages, pc.clock};
    wizard::TTavo50AF window(wizard::WizardServices{pc.db(), messages, datePicker, print});
    wizard::WizardLauncher::Prepare(window, wizard::WizardOpening::Change, {1, 0});
    window.move(0, 0);
    window.show();
    while (window.CurrentPage() != wizard::kHistoryPage) window.NextBtnClick();

    const char* button = what == "generate" ? "GenerateBtn" : what == "rate" ? "RateChangeBtn" : "RangeDeleteBtn";
    QTimer::singleShot(300, &window, [&] {
        QTimer::singleShot(200, &window, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                Fill(dialog, what);
                // Where the window system put the two windows, frames included.
                const QRect w = window.frameGeometry();
                const QRect d = dialog->frameGeometry();
                std::fprintf(stderr, "wizard frame %d,%d %dx%d; dialog frame %d,%d %dx%d\n", w.x(), w.y(), w.width(),
                             w.height(), d.x(), d.y(), d.width(), d.height());
            }
        });
        window.findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
    });
    QTimer::singleShot(seconds * 1000, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}
