// The database folder dialog "ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞｰの指定": this computer's own
// database folder or the folder of another computer on the LAN. The choice
// is written to "DBPath.ini" and takes effect at the next start, which the
// dialog asks for by ending the program.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "korvalen/platform/settings_store.h"
#include "korvalen/shell/select_folder.h"
#include "korvalen/shell/shell_services.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace korvalen::shell {

inline constexpr const char* kRestartRequest = "アプリケーションを再起動して下さい。";
inline constexpr const char* kNotADatabaseFolder = "[KorvalenDB]フォルダを選択して下さい。";

class TKorvALF final : public QDialog {
    Q_OBJECT
public:
    // The index of RadioGroup1's items.
    static constexpr int kThisComputer = 0;
    static constexpr int kOtherComputer = 1;

    // `lastChosenFolder` is the folder 参照 chose last, kept by the program
    // for its whole run (empty at its start); the chooser starts there.
    // `chooser` answers the folder chooser (the platform's own when null).
    // The collaborators must outlive the dialog.
    TKorvALF(const ShellServices& services, std::string& lastChosenFolder, FileChooser* chooser = nullptr,
             QWidget* parent = nullptr);
    ~TKorvALF() override;

    int ItemIndex() const;

    void RadioGroup1Click(int index);
    void SpeedButton3Click();
    // Writes the choice and, when it changed, shows the restart request and
    // ends the program (platform::EndProgram).
    void SB03Click();
    void SB01Click();
    void SBHintClick();
    // Ctrl+P, F1, F3; every key that reaches the dialog is consumed.
    void FormKeyDown(QKeyEvent* event);

    // The close box and 閉じる end here.
    void reject() override;

protected:
    // Keys reach the dialog itself only when no control of it takes them:
    // the dialog does not look at its controls' keys first.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    void RepairDefaultDir();
    // DBPath.ini, DatabaseFolder and ClientMode, then the restart request.
    void Register();
    int FormCloseQuery();
    void PrintWindow();
    std::string RememberedLocalFolder() const;

    ShellServices services_;
    // The program's key, held for as long as the dialog exists.
    platform::SettingsSection programKey_;
    std::string* lastChosenFolder_;
    std::unique_ptr<FileChooser> ownChooser_;
    FileChooser* chooser_;
    std::string openingFolder_;
    // The folder of another computer that 参照 accepted in this dialog;
    // 登録 on 他のｺﾝﾋﾟｭｰﾀ registers it and nothing else.
    std::string acceptedFolder_;
    bool changed_ = false;

    QToolButton* SB01 = nullptr;
    QToolButton* SB03 = nullptr;
    QToolButton* SBHint = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* items_ = nullptr;
    QRadioButton* ThisComputerItem = nullptr;
    QRadioButton* OtherComputerItem = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
};

}  // namespace korvalen::shell
