#include "korvalen/wizard/nen4_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <string>

#include "korvalen/engine/eras.h"
#include "korvalen/engine/text_forms.h"
#include "korvalen/platform/clock.h"
#include "korvalen/platform/errors.h"
#include "korvalen/platform/messages.h"
#include "korvalen/platform/program_info.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/wizard/date_digits.h"
#include "korvalen/wizard/date_input_library.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/dialog_keys.h"
#include "korvalen/wizard/fixed_size_window.h"
#include "korvalen/wizard/my_label.h"
#include "qt_text.h"

namespace korvalen::wizard {
namespace {

constexpr int kClientWidth = 401;
constexpr int kClientHeight = 184;

QRadioButton* MakeRadio(QWidget* parent, const char* name, const char* caption, const char* hint, QRect geometry) {
    auto* button = new QRadioButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromUtf8(caption));
    if (hint != nullptr) button->setToolTip(QString::fromUtf8(hint));
    button->setGeometry(geometry);
    return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* hint, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(QString::fromUtf8(caption)).remove(QLatin1Char('&')));
    if (hint != nullptr) button->setToolTip(QString::fromUtf8(hint));
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* MakeTestEdit(QWidget* parent, const char* name, const char* accessibleName, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromUtf8(accessibleName));
    edit->setReadOnly(true);
    edit->setToolTip(QStringLiteral("ｽﾍﾟｰｽ又はｸﾘｯｸでｶﾚﾝﾀﾞｰが開きます"));
    edit->setGeometry(geometry);
    return edit;
}

bool IsCalendar(int method) { return method == 0 || method == 1; }

// "2024年05月" or "令和06年05月".
std::string MonthLongForm(const std::string& yyyymm, bool western) {
    const int year = std::stoi(yyyymm.substr(0, 4));
    const int month = std::stoi(yyyymm.substr(4, 2));
    char text[8];
    std::snprintf(text, sizeof text, "%02d", month);
    if (!western) {
        if (const auto era = engine::JapaneseEraDateOf(engine::DayNumberFromCivil(year, month, 1))) {
            char eraYear[8];
            std::snprintf(eraYear, sizeof eraYear, "%02d", era->eraYear);
            return era->eraName + eraYear + "年" + text + "月";
        }
    }
    return std::to_string(year) + "年" + text + "月";
}

}  // namespace

TNEN4F::TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
               QWidget* parent)
    : TNEN4F(settings, messages, clock, nullptr, parent) {}

TNEN4F::TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
               DateInputLibrary& library, QWidget* parent)
    : TNEN4F(settings, messages, clock, &library, parent) {}

TNEN4F::TNEN4F(platform::SettingsStore& settings, platform::MessageService& messages, const platform::Clock& clock,
               DateInputLibrary* library, QWidget* parent)
    : QDialog(parent),
      settings_(&settings),
      messages_(&messages),
      clock_(&clock),
      library_(library),
      programKey_(platform::ProgramKey()) {
    if (library_ == nullptr) {
        ownLibrary_ = std::make_unique<CalendarLibrary>(settings, messages, clock);
        library_ = ownLibrary_.get();
    }
    westernCalendar_ = platform::SettingsSection(settings, programKey_, "SETTING").Option("SEIREKI");
    Build();
    LoadSettings();
}

TNEN4F::~TNEN4F() = default;

void TNEN4F::Build() {
    setObjectName(QStringLiteral("NEN4F"));
    setWindowTitle(QStringLiteral("日付入力方式の設定"));
    setFont(QFont(QString::fromUtf8(printing::kMsPGothic), 9));
    FixWindowSize(*this, kClientWidth, kClientHeight);

    auto* heading = new QLabel(QStringLiteral("◆ 一般入力方式"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setGeometry(12, 10, 160, 16);

    radioButton1_ = MakeRadio(this, "RadioButton1", "カレンダー入力", nullptr, {24, 34, 160, 18});
    radioButton3_ = MakeRadio(this, "RadioButton3", "前回入力値の翌月を表示", "カレンダーで前回入力日の翌月を表示",
                              {44, 56, 160, 18});
    radioButton4_ =
        MakeRadio(this, "RadioButton4", "常に本日を表示", "カレンダーで今日の属する月を表示", {44, 76, 160, 18});
    radioButton2_ = MakeRadio(this, "RadioButton2", "キーボード入力", nullptr, {212, 34, 160, 18});
    radioButton5_ = MakeRadio(this, "RadioButton5", "和暦で入力", "450207（昭和45年2月7日）", {232, 56, 150, 18});
    radioButton6_ = MakeRadio(this, "RadioButton6", "西暦で入力", "19700207（1970年2月7日）", {232, 76, 150, 18});
    auto* main = new QButtonGroup(this);
    main->addButton(radioButton1_);
    main->addButton(radioButton2_);
    auto* calendar = new QButtonGroup(this);
    calendar->addButton(radioButton3_);
    calendar->addButton(radioButton4_);
    auto* keyboard = new QButtonGroup(this);
    keyboard->addButton(radioButton5_);
    keyboard->addButton(radioButton6_);

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Bevel1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 104, kClientWidth - 16, 4);

    test1Edit_ = MakeTestEdit(this, "Test1Edit", "テスト入力", {24, 116, 200, 22});
    test1Btn_ = MakeButton(this, "Test1Btn", "ﾃｽﾄ表示", "ｸﾘｯｸでｶﾚﾝﾀﾞｰが開きます", {232, 115, 80, 24});

    auto* bottomRule = new QFrame(this);
    bottomRule->setObjectName(QStringLiteral("Bevel2"));
    bottomRule->setFrameShape(QFrame::HLine);
    bottomRule->setFrameShadow(QFrame::Sunken);
    bottomRule->setGeometry(8, 144, kClientWidth - 16, 4);

    setBtn_ = MakeButton(this, "SetBtn", "設定(&S)", nullptr, {224, 153, 80, 25});
    backBtn_ = MakeButton(this, "BackBtn", "閉じる(&C)", "画面を閉じる", {312, 153, 80, 25});

    // Below the client area, out of the user's sight: the year-month
    // calendar option with its own test field. They take no focus, so Tab
    // never lands on a control nobody can see.
    auto* monthHeading = new TMyLabel(QStringLiteral("◆ 年月入力方式"), this);
    monthHeading->setObjectName(QStringLiteral("MyLabel1"));
    monthHeading->setGeometry(12, 194, 160, 16);
    checkBox1_ = new QCheckBox(QStringLiteral("年月カレンダーを使用 （日付指定は不要）"), this);
    checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
    checkBox1_->setAccessibleName(checkBox1_->text());
    checkBox1_->setGeometry(24, 214, 300, 18);
    checkBox1_->setFocusPolicy(Qt::NoFocus);
    test2Edit_ = MakeTestEdit(this, "Test2Edit", "年月のテスト入力", {24, 238, 200, 22});
    test2Edit_->setFocusPolicy(Qt::NoFocus);
    test2Btn_ = MakeButton(this, "Test2Btn", "ﾃｽﾄ表示", "ｸﾘｯｸでｶﾚﾝﾀﾞｰが開きます", {232, 237, 80, 24});
    test2Btn_->setFocusPolicy(Qt::NoFocus);
    auto* monthNote = new TMyLabel(QStringLiteral("年月カレンダーは日付の指定が不要な項目で使用します。"), this);
    monthNote->setObjectName(QStringLiteral("MyLabel2"));
    monthNote->setGeometry(24, 264, 360, 16);

    for (QRadioButton* button :
         {radioButton1_, radioButton2_, radioButton3_, radioButton4_, radioButton5_, radioButton6_}) {
        connect(button, &QRadioButton::clicked, this, &TNEN4F::RadioButtonClick);
        connect(button, &QRadioButton::toggled, this, &TNEN4F::ContentChanged);
    }
    connect(checkBox1_, &QCheckBox::toggled, this, &TNEN4F::ContentChanged);
    connect(setBtn_, &QPushButton::clicked, this, &TNEN4F::SetBtnClick);
    connect(backBtn_, &QPushButton::clicked, this, &QWidget::close);
    connect(test1Btn_, &QPushButton::clicked, this, &TNEN4F::Test1BtnClick);
    connect(test2Btn_, &QPushButton::clicked, this, &TNEN4F::Test2BtnClick);
    test1Edit_->installEventFilter(this);
    test2Edit_->installEventFilter(this);

    keys_ = new DialogKeys(this);
    keys_->SetCloseButton(backBtn_);
    keys_->SetSaveButton(setBtn_);
    keys_->SetPrintWindow([this] {
        if (screenPrint_) screenPrint_(this);
    });
}

void TNEN4F::LoadSettings() {
    const platform::SettingsSection section(*settings_, programKey_, kCalendarSection);
    readMonCalendar_ = section.Flag(kMonCalendarValue, false);
    readMethod_ = static_cast<int>(section.Number(kInputValue, 1));
    // A stored value outside 0 to 3 shows as the default; closing then
    // offers to store a value that works.
    const int shown = readMethod_ >= 0 && readMethod_ <= 3 ? readMethod_ : 1;
    const QSignalBlocker blockCheck(checkBox1_);
    checkBox1_->setChecked(readMonCalendar_);
    QRadioButton* const chosen[] = {radioButton3_, radioButton4_, radioButton5_, radioButton6_};
    for (QRadioButton* button :
         {radioButton1_, radioButton2_, radioButton3_, radioButton4_, radioButton5_, radioButton6_}) {
        button->blockSignals(true);
    }
    (IsCalendar(shown) ? radioButton1_ : radioButton2_)->setChecked(true);
    chosen[shown]->setChecked(true);
    for (QRadioButton* button :
         {radioButton1_, radioButton2_, radioButton3_, radioButton4_, radioButton5_, radioButton6_}) {
        button->blockSignals(false);
    }
    radioButton3_->setEnabled(IsCalendar(shown));
    radioButton4_->setEnabled(IsCalendar(shown));
    radioButton5_->setEnabled(!IsCalendar(shown));
    radioButton6_->setEnabled(!IsCalendar(shown));
    setBtn_->setEnabled(false);  // enabled at the first change
}

int TNEN4F::ChosenMethod() const {
    if (radioButton1_->isChecked()) return radioButton3_->isChecked() ? 0 : 1;
    return radioButton5_->isChecked() ? 2 : 3;
}

void TNEN4F::RadioButtonClick() {
    const bool calendar = radioButton1_->isChecked();
    radioButton3_->setEnabled(calendar);
    radioButton4_->setEnabled(calendar);
    radioButton5_->setEnabled(!calendar);
    radioButton6_->setEnabled(!calendar);
    if (calendar && !radioButton3_->isChecked() && !radioButton4_->isChecked()) radioButton3_->setChecked(true);
    if (!calendar && !radioButton5_->isChecked() && !radioButton6_->isChecked()) radioButton5_->setChecked(true);
}

void TNEN4F::ContentChanged() { setBtn_->setEnabled(true); }

bool TNEN4F::Changed() const { return ChosenMethod() != readMethod_ || checkBox1_->isChecked() != readMonCalendar_; }

bool TNEN4F::Save() {
    try {
        platform::SettingsSection section(*settings_, programKey_, kCalendarSection);
        section.SetNumber(kInputValue, ChosenMethod());
        section.SetFlag(kMonCalendarValue, checkBox1_->isChecked());
    } catch (const platform::PlatformError& error) {
        messages_->Show(platform::MessageType::Error, platform::Buttons::Ok, error.what());
        return false;
    }
    saved_ = true;
    return true;
}

void TNEN4F::SetBtnClick() {
    if (!Save()) return;
    closeDecided_ = true;
    accept();
}

bool TNEN4F::MayClose() {
    if (closeDecided_ || saved_ || !Changed()) return true;
    switch (messages_->Show(platform::MessageType::Confirmation, platform::Buttons::YesNoCancel,
                            "内容が変更されています。設定しますか？")) {
        case platform::Answer::Yes: return Save();
        case platform::Answer::No: return true;
        default: return false;
    }
}

void TNEN4F::closeEvent(QCloseEvent* event) {
    if (!MayClose()) {
        event->ignore();
        return;
    }
    closeDecided_ = true;
    QDialog::closeEvent(event);
}

void TNEN4F::reject() {
    if (!MayClose()) return;
    closeDecided_ = true;
    QDialog::reject();
}

void TNEN4F::Test1BtnClick() {
    const int method = ChosenMethod();
    const QPoint corner = frameGeometry().topLeft();
    const int x = corner.x() + (IsCalendar(method) ? 20 : 40);
    const std::string answer = CallDateInput(*library_, method, x, corner.y() + 180, programKey_, clock_->Today());
    if (answer.empty()) return;
    const auto day = DayOfDateDigits(answer);
    if (!day) {
        messages_->Show(platform::MessageType::Warning, platform::Buttons::Ok,
                        "「" + answer + "」は日付として正しくありません。");
        return;
    }
    test1Edit_->setText(QStringOf(engine::FormatStartDate(*day, westernCalendar_)));
}

void TNEN4F::Test2BtnClick() {
    const QPoint corner = frameGeometry().topLeft();
    const std::string answer = library_->ShowMonCalendar(corner.x() + 20, corner.y() + 180);
    if (answer.empty()) return;
    // "yyyymm" is a year and month exactly when the day 1 of it is a date.
    if (answer.size() != 6 || !DayOfDateDigits(answer + "01")) {
        messages_->Show(platform::MessageType::Warning, platform::Buttons::Ok,
                        "「" + answer + "」は年月として正しくありません。");
        return;
    }
    test2Edit_->setText(QStringOf(MonthLongForm(answer, westernCalendar_)));
}

bool TNEN4F::eventFilter(QObject* watched, QEvent* event) {
    if (watched != test1Edit_ && watched != test2Edit_) return QDialog::eventFilter(watched, event);
    auto* edit = static_cast<QLineEdit*>(watched);
    const auto open = [&] {
        if (watched == test1Edit_) {
            Test1BtnClick();
        } else {
            Test2BtnClick();
        }
    };
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        open();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    if (code == Qt::Key_Backspace || code == Qt::Key_Delete) {
        edit->clear();
        return true;
    }
    const bool plain = (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    const bool opens =
        code == Qt::Key_Space || (code >= Qt::Key_0 && code <= Qt::Key_9) || (code >= Qt::Key_A && code <= Qt::Key_Z);
    if (plain && opens) {
        open();
        return true;
    }
    return false;
}

}  // namespace korvalen::wizard
