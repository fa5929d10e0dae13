// 日付入力方式の設定: which of the four date inputs a picked date goes
// through, with a field to try the chosen one before storing it.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvalen::platform {
class Clock;
class MessageService;
class SettingsStore;
}  // namespace korvalen::platform

namespace korvalen::wizard {

class DateInputLibrary;
class DialogKeys;
class TMyLabel;

class TNEN4F : public QDialog {
    Q_OBJECT
public:
    // The window tries the inputs of the program's own date library.
    TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
           QWidget* parent = nullptr);
    // The same, trying the inputs of `library` (tests pass a scripted one).
    TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
           DateInputLibrary& library, QWidget* parent = nullptr);
    ~TNEN4F() override;

    // Ctrl+P runs this with the window (the screen print).
    void SetScreenPrint(std::function<void(QWidget*)> print) { screenPrint_ = std::move(print); }
    // The long form of a tried date: Western or era. Read from the option
    // SEIREKI when the window is made; the main window may pass its own.
    void SetWesternCalendar(bool western) { westernCalendar_ = western; }

    // The method the window shows as chosen: 0 to 3, the value of "INPUT".
    int ChosenMethod() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
           DateInputLibrary* library, QWidget* parent);
    void Build();
    void LoadSettings();
    void RadioButtonClick();
    void SetBtnClick();
    void Test1BtnClick();
    void Test2BtnClick();
    void ContentChanged();
    bool Save();
    bool Changed() const;
    bool MayClose();

    platform::SettingsStore* settings_;
    platform::MessageService* messages_;
    const platform::Clock* clock_;
    std::unique_ptr<DateInputLibrary> ownLibrary_;
    DateInputLibrary* library_;
    std::function<void(QWidget*)> screenPrint_;
    std::string programKey_;
    bool westernCalendar_ = false;

    int readMethod_ = 1;
    bool readMonCalendar_ = false;
    bool saved_ = false;
    bool closeDecided_ = false;

    QPushButton* backBtn_;
    QPushButton* setBtn_;
    QRadioButton* radioButton1_;
    QRadioButton* radioButton2_;
    QRadioButton* radioButton3_;
    QRadioButton* radioButton4_;
    QRadioButton* radioButton5_;
    QRadioButton* radioButton6_;
    QLineEdit* test1Edit_;
    QPushButton* test1Btn_;
    QCheckBox* checkBox1_;
    QLineEdit* test2Edit_;
    QPushButton* test2Btn_;
    DialogKeys* keys_;
};

}  // namespace korvalen::wizard
