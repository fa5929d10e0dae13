#include "korvalen/wizard/date_entry_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "korvalen/platform/messages.h"
#include "korvalen/printing/fonts.h"
#include "qt_text.h"

namespace korvalen::wizard {

DateEntryForm::DateEntryForm(platform::MessageService& messages, int digits, bool westernFirst, QWidget* parent)
    : QDialog(parent), messages_(&messages), digits_(digits), westernFirst_(westernFirst) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("DateEdit"));
    edit_->setAccessibleName(QStringLiteral("年月日"));
    edit_->setMaxLength(digits);
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), edit_));
    edit_->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit_->setInputMethodHints(Qt::ImhDigitsOnly);
    edit_->setAlignment(Qt::AlignCenter);
    edit_->setFont(QFont(QString::fromUtf8(printing::kMsGothic), 14));
    edit_->setMinimumWidth(160);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("PreviewLabel"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumHeight(22);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("OkBtn"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &DateEntryForm::OkBtnClick);
    connect(edit_, &QLineEdit::textChanged, this, &DateEntryForm::UpdatePreview);
}

void DateEntryForm::Lay(const QString& instruction, QWidget* choice) {
    auto* text = new QLabel(instruction, this);
    text->setObjectName(QStringLiteral("InstructionLabel"));
    edit_->setToolTip(instruction);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    if (choice != nullptr) layout->addWidget(choice);
    layout->addWidget(edit_, 0, Qt::AlignHCenter);
    layout->addWidget(preview_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edit_->setFocus();
}

void DateEntryForm::ShowDigits(const std::string& digits) {
    edit_->setText(QStringOf(digits));
    edit_->selectAll();  // the first digit typed replaces the proposal
    UpdatePreview();
}

void DateEntryForm::UpdatePreview() {
    const std::string digits = edit_->text().toStdString();
    QPalette palette = preview_->palette();
    if (static_cast<int>(digits.size()) < digits_) {
        preview_->clear();
        return;
    }
    const DateReading reading = Read(digits);
    if (reading.day) {
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::Text));
        preview_->setText(QStringOf(LongFormsOf(*reading.day, westernFirst_)));
    } else {
        palette.setColor(QPalette::WindowText, QColor(200, 0, 0));
        preview_->setText(QStringOf(reading.problem.substr(0, reading.problem.find("\r\n"))));
    }
    preview_->setPalette(palette);
}

void DateEntryForm::OkBtnClick() {
    const DateReading reading = Read(edit_->text().toStdString());
    if (!reading.day) {
        messages_->Show(platform::MessageType::Warning, platform::Buttons::Ok, reading.problem);
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    result_ = DateDigitsOf(*reading.day);
    accept();
}

}  // namespace korvalen::wizard
