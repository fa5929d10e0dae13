#include "korvalen/wizard/labeled_edit.h"

#include <QApplication>
#include <QLabel>
#include <QValidator>

#include "korvalen/base/cp932.h"

namespace korvalen::wizard {
namespace {

constexpr int kCaptionHeight = 16;
constexpr int kCaptionGap = 2;

// The line edit asks its validator about every change before it takes it
// (keys, paste, drops and input-method commits all pass here) and undoes
// a change judged Invalid, then signals inputRejected.
class Cp932WidthValidator final : public QValidator {
public:
    Cp932WidthValidator(int bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}

    State validate(QString& input, int&) const override { return FitsCp932Width(input, bytes_) ? Acceptable : Invalid; }

private:
    int bytes_;
};

}  // namespace

bool FitsCp932Width(const QString& text, int bytes) {
    const auto length = base::Cp932Length(text.toStdString());
    return length.has_value() && *length <= static_cast<std::size_t>(bytes);
}

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : QLineEdit(parent), editLabel_(new QLabel(caption, parent)) {
    editLabel_->setBuddy(this);
    setAccessibleName(caption);
    connect(this, &QLineEdit::inputRejected, this, &TLabeledEdit::Beep);
}

void TLabeledEdit::PlaceAt(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    editLabel_->setGeometry(left, top - kCaptionHeight - kCaptionGap, width, kCaptionHeight);
}

void TLabeledEdit::SetByteWidth(int bytes) {
    byteWidth_ = bytes;
    delete validator();
    setValidator(bytes > 0 ? new Cp932WidthValidator(bytes, this) : nullptr);
}

void TLabeledEdit::Beep() {
    if (beep_) {
        beep_();
    } else {
        QApplication::beep();
    }
}

}  // namespace korvalen::wizard
