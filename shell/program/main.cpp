// The program カドレア: one copy per desktop session, the database opened,
// the main window shown and the message loop run until 終了.
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "korvalen/backup/restore_mark.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/drive_kind.h"
#include "korvalen/platform/end_program.h"
#include "korvalen/platform/machine_info.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/printing/print_dialog.h"
#include "korvalen/printing/screen_print.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/shell/application.h"
#include "korvalen/shell/busy_cursor.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/help.h"
#include "korvalen/shell/journal_messages.h"
#include "korvalen/shell/korv_bu.h"
#include "korvalen/shell/main_window.h"
#include "korvalen/shell/maintenance_dialogs.h"
#include "korvalen/shell/program_icon.h"
#include "korvalen/shell/single_instance.h"
#include "korvalen/shell/termination_signals.h"
#include "korvalen/shell/widget_messages.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/wizard/date_input_library.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/nen4_form.h"
#include "korvalen/wizard/wizard_launcher.h"

namespace {

using namespace korvalen;

const QString kTitle = QStringLiteral("カドレア");

// What the dialogs of the menus are made with.
struct DialogServices {
    platform::SettingsStore& settings;
    platform::MessageService& messages;
    const platform::Clock& clock;
    std::function<void(QWidget*)> screenPrint;
    storage::KorvalenDB& dataModule;
    shell::HelpFiles& help;
    // The main window's services, and the folder the database folder
    // dialog's 参照 chose last, kept for the run.
    const shell::ShellServices& shell;
    std::string& lastChosenFolder;
};

// The dialogs of the menus that are part of this build.
shell::ShellDialogs ProgramDialogs(const DialogServices& with) {
    shell::ShellDialogs dialogs;
    dialogs.databaseFolder = shell::DatabaseFolderDialogFactory(with.shell, with.lastChosenFolder);
    dialogs.options = shell::OptionsDialogFactory(with.shell);
    dialogs.dateInput = [with](shell::TKorvalen01F& mainWindow) -> std::unique_ptr<QDialog> {
        auto dialog = std::make_unique<wizard::TNEN4F>(with.settings, with.messages, with.clock, &mainWindow);
        dialog->SetScreenPrint(with.screenPrint);
        return dialog;
    };
    dialogs.backupRestore = [with](shell::TKorvalen01F& mainWindow) -> std::unique_ptr<QDialog> {
        auto dialog = std::make_unique<shell::TKorvBUF>(
            with.dataModule, with.settings, with.messages, with.clock, [&mainWindow] { mainWindow.RefreshCaseList(); },
            &mainWindow);
        dialog->SetPrintWindow(with.screenPrint);
        dialog->SetLinks(*with.shell.links);
        QObject::connect(dialog.get(), &shell::TKorvBUF::HelpRequested,
                         [help = &with.help](int context) { help->ShowContext(context); });
        return dialog;
    };
    return dialogs;
}

}  // namespace

int main(int argc, char** argv) {
    shell::KorvalenApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Korvalen"));
    // No application display name: the X11 platform would append it to
    // every window's title ("引直計算の入力ウイザード — カドレア"), and each
    // window's caption is exactly its own. The main window's caption is the
    // title the second start looks for.
    app.setOrganizationName(QStringLiteral("vex"));
    app.setDesktopFileName(QStringLiteral("korvalen"));
    app.setWindowIcon(shell::ProgramIcon());
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&qtTexts);
    }
    printing::InstallFontSubstitutes();

    std::unique_ptr<platform::MessageService> messages;
    if (const char* journal = std::getenv(shell::kMessageJournalVariable); journal != nullptr && *journal != '\0') {
        messages = std::make_unique<shell::JournalMessages>(journal);
    } else {
        messages = std::make_unique<shell::WidgetMessages>();
    }
    app.SetMessages(messages.get());

    const std::string programFile = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    shell::SingleInstance instance(platform::UserRuntimeFolder(), programFile, kTitle);
    if (!instance.Start(*messages)) return 0;
    shell::EndOnTerminationSignals(&app, [&app] { app.EndProgram(0); });

    platform::IniSettingsStore settings;
    platform::SystemClock clock;
    platform::SystemDriveClassifier drives;

    shell::BusyCursor busy;
    std::unique_ptr<storage::KorvalenDB> dataModule;
    try {
        dataModule = std::make_unique<storage::KorvalenDB>(settings, *messages, drives, clock,
                                                           storage::MachineFacts::OfThisPc());
    } catch (const std::exception& e) {
        // Without its settings the program cannot tell this PC apart from
        // the others of a shared folder.
        messages->Show(platform::MessageType::Error, platform::Buttons::Ok, e.what());
        return 1;
    }
    try {
        dataModule->DataModuleCreate();
    } catch (const platform::EndProgram& end) {
        return end.exitCode();
    } catch (const std::exception& e) {
        // The error handler is not installed yet: the error is shown as it
        // is and the main window comes all the same.
        messages->Show(platform::MessageType::Error, platform::Buttons::Ok, e.what());
    }
    // A restore cut off last time: say where the database from before is.
    if (const auto notice = backup::InterruptedRestoreNotice(dataModule->DatabaseFolder())) {
        messages->Show(platform::MessageType::Warning, platform::Buttons::Ok, *notice);
    }

    // PrintDialog1: the printer and its settings are kept for the run.
    printing::PrintDialog printDialog1;
    printing::PrintServices printServices{printDialog1, *messages, clock};
    const auto screenPrint = printing::ScreenPrintHook(printServices);

    shell::SystemDesktopLinks links;
    shell::HelpFiles help(dataModule->ProgramFolder(), links, *messages);
    wizard::CalendarLibrary calendar(settings, *messages, clock);
    wizard::LibraryDatePicker datePicker(settings, calendar, clock, dataModule->ProgramKey());
    wizard::WizardLauncher wizard({*dataModule, *messages, datePicker, printServices});
    shell::ShellServices services{
        dataModule.get(), messages.get(), &links, &help, screenPrint, platform::OperatingSystemName()};
    std::string lastChosenFolder;
    shell::TKorvalen01F window(
        services, wizard,
        ProgramDialogs({settings, *messages, clock, screenPrint, *dataModule, help, services, lastChosenFolder}));
    if (auto* boxes = dynamic_cast<shell::WidgetMessages*>(messages.get())) boxes->SetFallbackParent(&window);
    instance.SetShowRequest([&window] { window.BringToFront(); });

    app.RunGuarded([&window] { window.FormCreate(); });
    busy.Restore();
    if (const auto end = app.TakeEndRequest()) return *end;
    window.show();
    if (const auto end = app.TakeEndRequest()) return *end;
    const int code = app.exec();
    return app.TakeEndRequest().value_or(code);
}
