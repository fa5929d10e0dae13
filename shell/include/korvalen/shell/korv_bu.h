// The backup and restore dialog "ﾃﾞｰﾀのﾊﾞｯｸｱｯﾌﾟと復元": the fields and
// buttons of the backup and restore procedure. The main window opens it
// modally after it has disconnected the database.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "korvalen/backup/backup_restore.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/end_program.h"
#include "korvalen/platform/messages.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/shell/busy_cursor.h"
#include "korvalen/shell/desktop_links.h"
#include "korvalen/shell/select_folder.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace korvalen::storage {
class KorvalenDB;
}
namespace korvalen::wizard {
class DialogKeys;
}

namespace korvalen::shell {

// The subject of the mail link of Edit1 (the support address, kSupportMail).
inline constexpr const char* kSupportSubject = "【重要】データ修復依頼";

class TKorvBUF : public QDialog {
    Q_OBJECT
public:
    // The collaborators must outlive the dialog. `chooser` answers the
    // folder and file dialogs (the platform's own when null).
    TKorvBUF(storage::KorvalenDB& dataModule, platform::SettingsStore& settings, platform::MessageService& messages,
             const platform::Clock& clock, std::function<void()> refreshCaseList, QWidget* parent = nullptr,
             FileChooser* chooser = nullptr);
    ~TKorvBUF() override;

    // Where the mail link of Edit1 opens (the desktop's own until set); it
    // must outlive the dialog.
    void SetLinks(DesktopLinks& links) { links_ = &links; }
    // Ctrl+P: the screen print of the window.
    void SetPrintWindow(std::function<void(QWidget*)> print) { printWindow_ = std::move(print); }
    // Free bytes of a folder's volume (tests put in their own).

    bool Busy() const { return busy_ != backup::BusyState::Idle; }

signals:
    // ヘルプ: the help topic of the tab in front (help_context::kBackup or kRestore).
    void HelpRequested(int context);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    // Closing gives the process back the current folder it had at opening.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    backup::BackupSetup MakeSetup();

    void CloseBtnClick();
    void SBHintClick();
    void Browse1BtnClick();
    void Browse2BtnClick();
    void CheckBox1Click();
    void CheckBox2Click();
    void RadioGroup1Click();
    void DirName2EditChange(const QString& text);
    void SaveBtnClick();
    void OpenBtnClick();
    void Edit1Click();

    void SetBusy(backup::BusyState state);
    void StepDone(const backup::WorkStep& step);
    void FocusField(backup::BackupField field);
    void HandleError();
    std::string DatabaseParent() const;

    storage::KorvalenDB* dataModule_;
    platform::SettingsStore* settings_;
    platform::MessageService* messages_;
    const platform::Clock* clock_;
    std::function<void()> refreshCaseList_;
    std::unique_ptr<FileChooser> ownChooser_;
    FileChooser* chooser_;
    SystemDesktopLinks systemLinks_;
    DesktopLinks* links_ = &systemLinks_;
    std::function<void(QWidget*)> printWindow_;
    std::unique_ptr<backup::BackupRestore> procedure_;
    backup::BusyState busy_ = backup::BusyState::Idle;
    std::optional<BusyCursor> busyCursor_;  // while the work runs
    QString currentFolder_;

    QPushButton* CloseBtn = nullptr;
    QToolButton* SBHint = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* BackDateLabel = nullptr;
    QProgressBar* Animate1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* BackUpTab = nullptr;
    QWidget* OpenTab = nullptr;
    QLabel* StaticText1 = nullptr;
    QLineEdit* DirName1Edit = nullptr;
    QPushButton* Browse1Btn = nullptr;
    QLabel* StaticText2 = nullptr;
    QLineEdit* FolderNameEdit = nullptr;
    QPushButton* SaveBtn = nullptr;
    QLabel* Message1Label = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* LzhRadio = nullptr;
    QRadioButton* CabRadio = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* StaticText3 = nullptr;
    QLineEdit* DirName2Edit = nullptr;
    QPushButton* Browse2Btn = nullptr;
    QLabel* StaticText4 = nullptr;
    QPushButton* OpenBtn = nullptr;
    QLabel* Message2Label = nullptr;
    wizard::DialogKeys* keys_ = nullptr;
};

}  // namespace korvalen::shell
