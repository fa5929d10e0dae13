#include "korvalen/wizard/bulk_tool_dialog.h"

#include <QToolButton>

#include "korvalen/platform/messages.h"
#include "korvalen/printing/fonts.h"
#include "korvalen/wizard/dialog_keys.h"
#include "korvalen/wizard/fixed_size_window.h"

namespace korvalen::wizard {
namespace {

constexpr int kButtonTop = 8;
constexpr int kButtonWidth = 92;
constexpr int kButtonHeight = 28;

// Speed buttons never take the keyboard focus.
QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
    return button;
}

}  // namespace

BulkToolDialog::BulkToolDialog(platform::MessageService& messages, HistoryPage& page, QWidget* wizard, const char* name,
                               const QString& caption, const QString& actionCaption)
    : QDialog(wizard), messages_(messages), page_(page), wizard_(wizard) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setAccessibleName(caption);
    setFont(QFont(QString::fromUtf8(printing::kMsPGothic), 9));

    SpeedButton1 = MakeSpeedButton(this, "SpeedButton1", QStringLiteral("閉じる(&C)"), 8);
    SBSave = MakeSpeedButton(this, "SBSave", actionCaption, 8 + kButtonWidth + 4);
    SBSave->setEnabled(false);
    connect(SpeedButton1, &QToolButton::clicked, this, &QWidget::close);
    connect(SBSave, &QToolButton::clicked, this, &BulkToolDialog::SBSaveClick);

    keys_ = new DialogKeys(this);
    keys_->SetCloseButton(SpeedButton1);
    keys_->SetSaveButton(SBSave);
    keys_->SetPrintWindow([this] {
        if (screenPrint_) screenPrint_(this);
    });
}

BulkToolDialog::~BulkToolDialog() = default;

void BulkToolDialog::FinishLayout(int width, int height) {
    FixWindowSize(*this, width, height);
    PlaceOverWizard();
}

namespace {

QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inside = window.geometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
            frame.bottom() - inside.bottom()};
}

}  // namespace

void BulkToolDialog::PlaceOverWizard() {
    if (wizard_ == nullptr) return;
    // Outer edges, as the user sees them: the frames belong to the windows.
    // The window manager frames the dialog only once it is on the screen;
    // until then its frame is taken to be the wizard's.
    QMargins frame = FrameMargins(*this);
    if (frame.isNull()) frame = FrameMargins(*wizard_);
    const QRect wizard = wizard_->frameGeometry();
    const int outerWidth = width() + frame.left() + frame.right();
    const int outerHeight = height() + frame.top() + frame.bottom();
    move(wizard.x() + wizard.width() - outerWidth, wizard.y() + wizard.height() - outerHeight - kBottomGap);
}

void BulkToolDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The frame's size is known once the window is shown.
    PlaceOverWizard();
}

void BulkToolDialog::Warn(const std::string& message, QWidget* field) {
    messages_.Show(platform::MessageType::Warning, platform::Buttons::Ok, message);
    if (field != nullptr) field->setFocus(Qt::OtherFocusReason);
}

void BulkToolDialog::reject() {
    if (HasUnappliedInput()) {
        switch (
            messages_.Show(platform::MessageType::Information, platform::Buttons::YesNoCancel, UnappliedQuestion())) {
            case platform::Answer::Yes:
                // The action closes the dialog itself when it applies.
                Apply();
                return;
            case platform::Answer::No: break;
            default: return;  // Cancel, or the box closed: the dialog stays
        }
    }
    QDialog::reject();
}

}  // namespace korvalen::wizard
