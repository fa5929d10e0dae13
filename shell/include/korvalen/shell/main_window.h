// The main window: the list of stored cases and the start of every action
// on them (new, reference and change through the input wizard, delete,
// duplicate), with the menus for backup and restore, the database folder,
// the options, the date input method, help, the maker's pages and mail,
// and the about box. Closing it ends the program.
#pragma once

#include <QMainWindow>
#include <exception>
#include <optional>
#include <vector>

#include "korvalen/platform/end_program.h"
#include "korvalen/shell/case_list_model.h"
#include "korvalen/shell/shell_dialogs.h"
#include "korvalen/shell/shell_services.h"
#include "korvalen/wizard/case_wizard.h"

class QAbstractButton;
class QAction;
class QFrame;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;

namespace korvalen::shell {

class TKorvalen01F final : public QMainWindow {
    Q_OBJECT
public:
    TKorvalen01F(ShellServices services, wizard::CaseWizardLauncher& wizard, ShellDialogs dialogs = {},
                 QWidget* parent = nullptr);
    ~TKorvalen01F() override;

    // Installs the application's error handler and fills the case list.
    // Errors of the first filling already reach that handler when the
    // caller runs this guarded (KorvalenApplication::RunGuarded).
    void FormCreate();
    // Rebuilds the list from the tables; the old list stays when reading fails.
    void RefreshCaseList();
    // The application's error handler: storage's HandleAppError, with its
    // decision to disable "ファイル(&F)" carried out here.
    platform::AfterError HandleAppError(std::exception_ptr error);
    // Restores the window when minimised, raises and activates it (asked
    // by a second start of the program).
    void BringToFront();

    CaseListModel& CaseList() { return *model_; }

    // The menu and button actions.
    void AddBtn1Click(QAbstractButton* sender);
    void DelBtn1Click();
    void C1Click();
    void B1Click();
    void B2Click();
    void K1Click();
    void H1Click();
    void C2Click();
    void U1Click();
    void N8Click();
    void K2Click();
    void H3Click();
    void objectVEXMailMenuTMenuItem1Click();
    void A1Click();
    void EndMenuExecute();
    void ListView1Change();

    // The support mail's address, subject and body.
    QUrl SupportMailUrl() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus();
    void BuildPanels();
    std::vector<int> SelectedRows() const;
    std::optional<int> FirstSelectedRow() const;
    void ShowDialog(const ShellDialogs::Factory& factory, const char* caption);
    void OpenWebPage(const char* url);

    ShellServices services_;
    wizard::CaseWizardLauncher* wizard_;
    ShellDialogs dialogs_;
    bool shownOnce_ = false;
    bool handlerInstalled_ = false;

    CaseListModel* model_ = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QToolButton* AddBtn1 = nullptr;
    QToolButton* RefBtn1 = nullptr;
    QToolButton* UpBtn1 = nullptr;
    QToolButton* DelBtn1 = nullptr;
    QTableView* ListView1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* M1 = nullptr;
    QMenu* Help1 = nullptr;
};

}  // namespace korvalen::shell
