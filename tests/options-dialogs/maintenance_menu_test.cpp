// The maintenance menu's items open the two dialogs modally over the main
// window, and the restart request of the database folder dialog leaves the
// dialog's modal loop and the program's as the program's end does.
#include <QCheckBox>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include "korvalen/platform/profile_file.h"
#include "korvalen/shell/korv_al.h"
#include "korvalen/shell/korv_op.h"
#include "korvalen/shell/maintenance_dialogs.h"
#include "shell_fixture.h"

namespace korvalen::shell {
namespace {

using namespace fixtures;

TEST(MaintenanceMenuTest, OptionsAndDatabaseFolderOpenModallyAndTheRestartEndsEveryLoop) {
    ShellPc pc;
    std::string lastChosenFolder;
    ScriptedFileChooser chooser;
    ShellDialogs dialogs;
    dialogs.options = OptionsDialogFactory(pc.Services());
    dialogs.databaseFolder = DatabaseFolderDialogFactory(pc.Services(), lastChosenFolder, &chooser);
    TKorvalen01F& window = pc.Open(std::move(dialogs));

    bool optionsShown = false;
    AnswerModal<TKorvOPF>([&](TKorvOPF* options) {
        optionsShown = options->parentWidget() == &window && options->isModal();
        QTest::mouseClick(options->findChild<QToolButton*>("SBHint"), Qt::LeftButton);
        options->reject();
    });
    pc.Choose("K1");
    EXPECT_TRUE(optionsShown);
    ASSERT_EQ(pc.links.opened.size(), 1u);
    EXPECT_TRUE(pc.links.opened[0].toString().endsWith("help/context-68.html"));

    // A client of another PC switches back to this computer and registers.
    const std::string share = pc.root.folder("share/KorvalenDB");
    platform::WriteProfileString(pc.db.DbPathIni(), "TableDB", "TableDatabase1", share);
    pc.db.SetDatabaseFolder(share);
    pc.db.SetClientMode(true);
    bool folderShown = false;
    AnswerModal<TKorvALF>([&](TKorvALF* folder) {
        folderShown = folder->parentWidget() == &window && folder->isModal();
        QTest::mouseClick(folder->findChild<QRadioButton*>("RadioGroup1Item0"), Qt::LeftButton);
        QTest::mouseClick(folder->findChild<QToolButton*>("SB03"), Qt::LeftButton);
    });
    // The program's own loop, which the restart request must leave. Should
    // it not, the dialog is closed after a while and the loop says so.
    QEventLoop programLoop;
    QTimer::singleShot(10000, &programLoop, [&] {
        if (auto* stuck = qobject_cast<QDialog*>(QApplication::activeModalWidget())) stuck->done(0);
        programLoop.exit(99);
    });
    QTimer::singleShot(0, &programLoop, [&] { pc.Choose("B2"); });
    const int code = programLoop.exec();
    EXPECT_TRUE(folderShown);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(pc.Texts().back(), "アプリケーションを再起動して下さい。");
    EXPECT_EQ(KorvalenApplication::Instance()->TakeEndRequest(), 0);
    EXPECT_EQ(platform::ReadProfileString(pc.db.DbPathIni(), "TableDB", "TableDatabase1"), pc.db.LocalDatabaseFolder());

    // The end leaves the thread's loops refusing to run until the
    // application's own loop has run once: let it, for the tests after this.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace
}  // namespace korvalen::shell
