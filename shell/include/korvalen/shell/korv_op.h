// The options dialog "環境設定": dates in the Western calendar, the update
// dialog of the online update check, and the proxy server. The values live
// in the settings of this user and, for every PC of the database, in the
// one row of Opcfg, which its save brings into line.
#pragma once

#include <QDialog>
#include <functional>

#include "korvalen/shell/shell_services.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace korvalen::shell {

class TKorvOPF final : public QDialog {
    Q_OBJECT
public:
    // Reads the options from the settings of services.dataModule.
    explicit TKorvOPF(const ShellServices& services, QWidget* parent = nullptr);

    // Stands in for the system's beep in tests.
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Shared by the three check boxes and both edits.
    void CheckBox5Click();
    void SetBtnClick();
    void BackBtnClick();
    void SBHintClick();

    // The close box, 閉じる, F1 and Escape all end here.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    // Typed characters other than 0 to 9 are dropped with a beep; true
    // when `event` was one of them.
    bool Edit4KeyPress(QEvent* event);
    // Step by step into the settings and the shared row; false (the
    // dialog stays) when a field is at fault, with the focus on it.
    bool SaveOptions();
    // The close question; the result to close with, or 0 to stay.
    int FormCloseQuery();
    void SetPanel3Enabled(bool on);

    ShellServices services_;
    std::function<void()> beep_;
    bool openingWestern_ = false;
    bool openingHideUpdate_ = false;
    bool openingProxy_ = false;

    QFrame* Panel1 = nullptr;
    QPushButton* BackBtn = nullptr;
    QPushButton* SetBtn = nullptr;
    QToolButton* SBHint = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox20 = nullptr;
    QCheckBox* CheckBox21 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit4 = nullptr;
};

}  // namespace korvalen::shell
