// One PC for the shell's tests: a program folder inside a temporary "vex"
// folder with the help pages, its own settings, an opened database,
// scripted messages, a recording link opener and a wizard the test
// scripts, and the main window over all of them.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korvalen/engine/dates.h"
#include "korvalen/engine/fixed_point.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/drive_kind.h"
#include "korvalen/platform/scripted_messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/shell/application.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/help.h"
#include "korvalen/shell/main_window.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/testsupport/modal.h"
#include "korvalen/testsupport/temp_folder.h"
#include "korvalen/wizard/case_wizard.h"

namespace korvalen::shell::fixtures {

namespace fs = std::filesystem;

// The wizard as the main window sees it: each run is recorded and answered
// by `next`, which may store the case as the real wizard's 完了 would.
class FakeWizard final : public wizard::CaseWizardLauncher {
public:
    struct RunSeen {
        wizard::WizardOpening opening;
        std::int32_t seq;
    };
    using Answer = std::function<wizard::WizardOutcome(wizard::WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI&)>;

    wizard::WizardOutcome Run(wizard::WizardOpening opening, const wizard::T_SAIKEN_DATA_REC_NINI& handle,
                              QWidget*) override {
        runs.push_back({opening, handle.SEQ});
        return next ? next(opening, handle) : wizard::WizardOutcome{};
    }

    Answer next;
    std::vector<RunSeen> runs;
};

class RecordedLinks final : public DesktopLinks {
public:
    bool Open(const QUrl& url) override {
        opened.push_back(url);
        return works;
    }
    std::vector<QUrl> opened;
    bool works = true;
};

inline constexpr std::int32_t kToday = 45000;

struct ShellPc {
    ShellPc()
        : programFolder(root.folder("vex/Korvalen")),
          settings(root / "config"),
          clock(kToday),
          db(settings, messages, drives, clock,
             storage::MachineFacts{programFolder, "PC-A", "山田　太郎", "1.0.0.0", {}}),
          help(programFolder, links, messages) {
        fs::create_directories(programFolder);
        fs::copy(fs::path(KORVALEN_SOURCE_DIR) / "shell" / "help", fs::path(programFolder) / "help",
                 fs::copy_options::recursive);
        db.DataModuleCreate();
        KorvalenApplication::Instance()->SetMessages(&messages);
    }
    ~ShellPc() {
        window.reset();
        KorvalenApplication::Instance()->SetMessages(nullptr);
        // No test leaves a request to end behind for the next one.
        KorvalenApplication::Instance()->TakeEndRequest();
    }

    ShellServices Services() { return {&db, &messages, &links, &help, screenPrint, "Debian GNU/Linux 12 (bookworm)"}; }

    // The window as the program opens it: created, filled, shown.
    TKorvalen01F& Open(ShellDialogs dialogs = {}) {
        window = std::make_unique<TKorvalen01F>(Services(), wizard, std::move(dialogs));
        window->FormCreate();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    // A stored case with `entries` history entries.
    void StoreCase(std::int32_t seq, const std::string& creditor, const std::string& debtor, int entries = 0) {
        engine::CaseRecord header;
        header.SEQ = seq;
        header.GYOSYA_NAME = creditor;
        header.NAME = debtor;
        header.RIRITSU = 29.2;
        engine::HistoryList history;
        for (int i = 0; i < entries; ++i) {
            auto entry = std::make_unique<engine::HistoryEntry>();
            entry->date = engine::DayNumberFromCivil(2001, 1, 1) + 30 * i;
            entry->borrowing = i == 0 ? 100000 : 0;
            entry->repayment = i == 0 ? 0 : 5000;
            entry->rate = engine::RateToFixed(29.2);
            entry->order = i;
            history.push_back(std::move(entry));
        }
        storage::SaveCase(db.TableDatabase1(), header, history);
    }

    QTableView* List() const { return window->findChild<QTableView*>("ListView1"); }
    QToolButton* Button(const char* name) const { return window->findChild<QToolButton*>(name); }
    QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }

    // The list's rows as "creditor|debtor|count".
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        const QAbstractItemModel* model = List()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c) cells << model->index(r, c).data().toString();
            rows.push_back(cells.join(QLatin1Char('|')).toStdString());
        }
        return rows;
    }
    std::vector<std::int32_t> ListedSeqs() const {
        std::vector<std::int32_t> seqs;
        for (int r = 0; r < window->CaseList().rowCount(); ++r) seqs.push_back(window->CaseList().Item(r).record.SEQ);
        return seqs;
    }

    // A click on a row as the user makes it (Ctrl adds to the selection).
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTableView* list = List();
        const QRect cell = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
    // A menu item chosen as the user chooses it: through the event loop,
    // so an error it raises reaches the application's handler.
    void Choose(const char* action) {
        QMetaObject::invokeMethod(Action(action), &QAction::trigger, Qt::QueuedConnection);
        QCoreApplication::sendPostedEvents();
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : messages.Shown()) texts.push_back(shown.text);
        return texts;
    }

    testsupport::TempFolder root{"korvalen-shell"};
    std::string programFolder;
    platform::IniSettingsStore settings;
    platform::ScriptedMessages messages;
    platform::SystemDriveClassifier drives;
    platform::FixedClock clock;
    storage::KorvalenDB db;
    RecordedLinks links;
    HelpFiles help;
    FakeWizard wizard;
    std::function<void(QWidget*)> screenPrint;
    std::unique_ptr<TKorvalen01F> window;
};

using testsupport::AnswerModal;

// What 完了 reports after saving the case.
inline wizard::WizardOutcome Finished(std::string creditor, std::string debtor, int entries, std::int32_t seq = -1) {
    wizard::WizardOutcome outcome;
    outcome.modalResult = wizard::kWizardFinished;
    outcome.savedMode = true;
    outcome.creditor = std::move(creditor);
    outcome.debtor = std::move(debtor);
    outcome.entryCount = entries;
    outcome.seq = seq;
    return outcome;
}

// Every named control of `window` can be found by a screen reader: it has an
// accessible name (Qt's own inner widgets, named qt_…, aside).
inline void ExpectEveryNamedControlHasAnAccessibleName(const QWidget& window) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_")) continue;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
}

}  // namespace korvalen::shell::fixtures
