#include "korvalen/wizard/num_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace korvalen::wizard {
namespace {

constexpr const char* kMaxDegitsRange = "MaxDegitsは、1～15の範囲で指定して下さい。";
constexpr const char* kFixDecimalRange = "FixDecimalは、0～14の範囲で指定して下さい。";
constexpr const char* kFixDecimalZeroFormat = "FixDecimalは、ZeroFormatがTrueの場合、0を指定して下さい。";
constexpr const char* kZeroFormatFixDecimal = "ZeroFormatは、FixDecimalが0以外の場合、Falseを指定して下さい。";
constexpr const char* kZeroFormatComma = "ZeroFormatは、CommaがTrueの場合、Falseを指定して下さい。";
constexpr const char* kZeroFormatFixZeroFormat = "ZeroFormatは、FixZeroFormatがTrueの場合、Falseを指定して下さい。";
constexpr const char* kFixZeroFormatFixDecimal = "FixZeroFormatは、FixDecimalが0の場合、Falseを指定して下さい。";
constexpr const char* kFixZeroFormatZeroFormat = "FixZeroFormatは、ZeroFormatがTrueの場合、Falseを指定して下さい。";
constexpr const char* kFixZeroFormatComma = "FixZeroFormatは、CommaがTrueの場合、Falseを指定して下さい。";
constexpr const char* kCommaZeroFormat = "Commaは、ZeroFormatがTrueの場合、Falseを指定して下さい。";
constexpr const char* kCommaFixZeroFormat = "Commaは、FixZeroFormatがTrueの場合、Falseを指定して下さい。";
constexpr const char* kCommaValue = "Commaの変更は，Valueを「０」にしてから行って下さい。";

long double PowerOfTen(int exponent) {
    long double p = 1;
    for (int i = 0; i < exponent; ++i) p *= 10;
    return p;
}

// Fixed decimals with "." whatever the locale: the C library's printf
// formats in the "C" locale unless the program changes LC_NUMERIC, which
// Qt does not.
QString FixedText(long double x, int decimals) {
    char small[64];
    const int size = std::snprintf(small, sizeof small, "%.*Lf", decimals, x);
    if (size < static_cast<int>(sizeof small)) return QString::fromLatin1(small, size);
    std::vector<char> large(static_cast<std::size_t>(size) + 1);
    std::snprintf(large.data(), large.size(), "%.*Lf", decimals, x);
    return QString::fromLatin1(large.data(), size);
}

QString GroupedText(long double x, int decimals) {
    QString text = FixedText(x, decimals);
    qsizetype end = text.indexOf(QLatin1Char('.'));
    if (end < 0) end = text.size();
    const qsizetype begin = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype at = end - 3; at > begin; at -= 3) text.insert(at, QLatin1Char(','));
    return text;
}

int DecimalsIn(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return point < 0 ? 0 : static_cast<int>(text.size() - point - 1);
}

// The full-width forms a Japanese desktop may deliver, as the ASCII
// characters the control understands.
QChar Narrow(QChar c) {
    if (c == QChar(0x2212)) return QLatin1Char('-');  // MINUS SIGN
    const QString folded = QString(c).normalized(QString::NormalizationForm_KC);
    return folded.size() == 1 ? folded.at(0) : c;
}

struct NumberText {
    bool negative = false;
    QString integerDigits;
    bool point = false;
    QString decimalDigits;
};

// A text pasted or dropped: blanks and separators anywhere, a sign in
// front, at most one point, a yen sign before or a percent sign or 円
// after. Nothing for any other text.
std::optional<NumberText> ReadNumberText(const QString& raw) {
    QString text;
    for (QChar c : raw) {
        const QChar n = Narrow(c);
        if (!n.isSpace()) text.append(n);
    }
    static const QRegularExpression shape(QStringLiteral("^([-+]?)[¥\\\\]?([0-9,]*)(?:\\.([0-9]*))?(?:%|円)?$"));
    const auto match = shape.match(text);
    if (!match.hasMatch()) return std::nullopt;
    NumberText number;
    number.negative = match.captured(1) == QLatin1String("-");
    number.integerDigits = match.captured(2).remove(QLatin1Char(','));
    number.point = match.capturedStart(3) >= 0;
    number.decimalDigits = match.captured(3);
    if (number.integerDigits.isEmpty() && number.decimalDigits.isEmpty()) return std::nullopt;
    return number;
}

}  // namespace

QString ShortestDecimalText(long double x) {
    if (x == 0) return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", std::fabs(x));
    // buffer: d.dddddddddddddde±x
    const std::string text(buffer);
    const auto e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    const int exponent = std::atoi(text.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (exponent >= 0) {
        const auto integerCount = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerCount) {
            out = digits + std::string(integerCount - digits.size(), '0');
        } else {
            out = digits.substr(0, integerCount) + "." + digits.substr(integerCount);
        }
    } else {
        out = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    if (x < 0) out.insert(out.begin(), '-');
    return QString::fromLatin1(out);
}

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Figures are typed with the input method closed; digits never need it.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    setDragEnabled(false);
    setAcceptDrops(true);
    // A change through a QLineEdit pointer, the accessibility interface or
    // anything else that reaches past the number is taken as a pasted text
    // or undone.
    connect(this, &QLineEdit::textChanged, this, &TNumEdit::ForeignTextChange);
}

bool TNumEdit::Refuse(const char* message) {
    lastRefusal_ = QString::fromUtf8(message);
    return false;
}

void TNumEdit::Beep() {
    if (beep_) {
        beep_();
    } else {
        QApplication::beep();
    }
}

void TNumEdit::Reformat() {
    if (formatted_) SetValue(value_);
}

bool TNumEdit::SetComma(bool on) {
    if (on && zeroFormat_) return Refuse(kCommaZeroFormat);
    if (on && fixZeroFormat_) return Refuse(kCommaFixZeroFormat);
    if (value_ > 999) return Refuse(kCommaValue);
    comma_ = on;
    Accept();
    Reformat();
    return true;
}

void TNumEdit::SetLeadingChar(QChar c) {
    leadingChar_ = c;
    Reformat();
}

void TNumEdit::SetZeroDisplay(bool on) {
    zeroDisplay_ = on;
    Reformat();
}

bool TNumEdit::SetMaxDegits(int digits) {
    if (digits < 1 || digits > 15) return Refuse(kMaxDegitsRange);
    maxDegits_ = digits;
    valueLimit_ = PowerOfTen(digits);
    if (maxDegits_ + fixDecimal_ > 15) fixDecimal_ = 15 - maxDegits_;
    Accept();
    Reformat();
    return true;
}

bool TNumEdit::SetFixDecimal(int decimals) {
    if (decimals < 0 || decimals > 14) return Refuse(kFixDecimalRange);
    if (decimals > 0 && zeroFormat_) return Refuse(kFixDecimalZeroFormat);
    fixDecimal_ = decimals;
    if (maxDegits_ + fixDecimal_ > 15) {
        maxDegits_ = 15 - fixDecimal_;
        valueLimit_ = PowerOfTen(maxDegits_);  // the limit always follows the digits
    }
    Accept();
    Reformat();
    return true;
}

bool TNumEdit::SetZeroFormat(bool on) {
    if (on && fixDecimal_ > 0) return Refuse(kZeroFormatFixDecimal);
    if (on && comma_) return Refuse(kZeroFormatComma);
    if (on && fixZeroFormat_) return Refuse(kZeroFormatFixZeroFormat);
    zeroFormat_ = on;
    Accept();
    Reformat();
    return true;
}

bool TNumEdit::SetFixZeroFormat(bool on) {
    if (on && fixDecimal_ == 0) return Refuse(kFixZeroFormatFixDecimal);
    if (on && zeroFormat_) return Refuse(kFixZeroFormatZeroFormat);
    if (on && comma_) return Refuse(kFixZeroFormatComma);
    fixZeroFormat_ = on;
    Accept();
    Reformat();
    return true;
}

void TNumEdit::SetValue(long double x) {
    formatted_ = true;
    if (fixDecimal_ == 0 && ShortestDecimalText(x).contains(QLatin1Char('.'))) {
        x = std::round(x);  // a half goes away from zero
    }
    value_ = x;
    bool negative = false;
    QString number;
    if (!zeroDisplay_ && x == 0) {
        decimalCount_ = 0;
        pointEntered_ = false;
    } else {
        if (x < 0) {
            negative = true;
            x = -x;
        }
        if (!keepDecimals_) {
            decimalCount_ = (!typing_ && fixZeroFormat_ && x != 0) ? fixDecimal_ : DecimalsIn(ShortestDecimalText(x));
        }
        keepDecimals_ = false;
        typing_ = false;
        if (decimalCount_ > 0) pointEntered_ = true;
        if (comma_) {
            number = GroupedText(x, decimalCount_);
        } else if (zeroFormat_) {
            number = FixedText(std::nearbyint(x), 0).rightJustified(maxDegits_, QLatin1Char('0'));
        } else {
            number = FixedText(x, decimalCount_);
        }
    }
    if (leadingChar_ > QLatin1Char(' ')) number.prepend(leadingChar_);
    if (negative) number.prepend(QLatin1Char('-'));
    ShowText(number);
}

void TNumEdit::ShowText(const QString& text) {
    const bool modified = isModified();
    const bool changed = text != QLineEdit::text();
    writingText_ = true;
    QLineEdit::setText(text);  // also puts the caret after the last character
    writingText_ = false;
    setModified(modified);
    shownText_ = text;
    if (changed) emit Changed();
}

void TNumEdit::ForeignTextChange(const QString& text) {
    if (writingText_) return;
    const auto number = ReadNumberText(text);
    if (number) {
        const QString plain = (number->negative ? QStringLiteral("-") : QString()) +
                              (number->integerDigits.isEmpty() ? QStringLiteral("0") : number->integerDigits) +
                              (number->decimalDigits.isEmpty() ? QString() : "." + number->decimalDigits);
        const long double x = std::strtold(plain.toLatin1().constData(), nullptr);
        if (number->decimalDigits.size() <= fixDecimal_ && (!number->negative || canNegative_) && -valueLimit_ < x &&
            x < valueLimit_) {
            keepDecimals_ = false;
            typing_ = false;
            SetValue(x);
            return;
        }
    }
    ShowText(shownText_);
}

void TNumEdit::TypeCharacter(QChar c) {
    const QChar n = Narrow(c);
    if (n.isDigit() && n.unicode() < 128) {
        TypeDigit(n.digitValue());
    } else if (n == QLatin1Char('-')) {
        if (canNegative_) {
            typing_ = true;
            SetValue(-value_);
        } else {
            Beep();
        }
    } else if (n == QLatin1Char('.')) {
        if (fixDecimal_ < 1 || pointEntered_) {
            Beep();
        } else {
            pointEntered_ = true;  // the point shows with the first decimal digit
        }
    }
}

void TNumEdit::TypeDigit(int digit) {
    if (hasSelectedText()) {
        value_ = 0;
        decimalCount_ = 0;
        pointEntered_ = false;
    }
    const long double d = value_ < 0 ? -digit : digit;
    long double candidate;
    if (pointEntered_) {
        keepDecimals_ = true;
        ++decimalCount_;
        long double step = 1;
        for (int i = 0; i < decimalCount_; ++i) step *= 0.1L;
        candidate = value_ + d * step;
    } else {
        candidate = value_ * 10 + d;
    }
    if (decimalCount_ > fixDecimal_) {
        keepDecimals_ = false;
        --decimalCount_;
        Beep();
        return;
    }
    if (-valueLimit_ < candidate && candidate < valueLimit_) {
        typing_ = true;
        SetValue(candidate);
    } else {
        Beep();
    }
}

void TNumEdit::KeyBackspace() {
    if (pointEntered_) {
        if (decimalCount_ > 0) {
            QString shortened = FixedText(value_, decimalCount_);
            shortened.chop(1);
            --decimalCount_;
            keepDecimals_ = true;
            typing_ = true;
            SetValue(std::strtold(shortened.toLatin1().constData(), nullptr));
        }
        if (decimalCount_ == 0) pointEntered_ = false;  // a point without digits is withdrawn
    } else {
        typing_ = true;
        SetValue(std::trunc(value_ / 10));
    }
}

void TNumEdit::KeyDelete() {
    typing_ = true;
    decimalCount_ = 0;
    pointEntered_ = false;
    SetValue(0);
}

bool TNumEdit::PasteText(const QString& text) {
    if (isReadOnly()) return false;
    const auto number = ReadNumberText(text);
    if (!number) {
        Beep();
        return false;
    }
    for (QChar c : number->integerDigits) TypeCharacter(c);
    if (number->point) TypeCharacter(QLatin1Char('.'));
    for (QChar c : number->decimalDigits) TypeCharacter(c);
    // The sign key turns the number typed so far, so it comes last.
    if (number->negative) TypeCharacter(QLatin1Char('-'));
    return true;
}

void TNumEdit::PasteFrom(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    PasteText(QGuiApplication::clipboard()->text(mode));
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Backspace:
            if (!isReadOnly()) KeyBackspace();
            event->accept();
            return;
        case Qt::Key_Delete:
            if (!isReadOnly()) KeyDelete();
            event->accept();
            return;
        case Qt::Key_Left:
        case Qt::Key_Right: event->accept(); return;  // the caret stays after the number
        default: break;
    }
    if (event == QKeySequence::Paste) {
        PasteFrom(QClipboard::Clipboard);
        event->accept();
        return;
    }
    // Editing keys of the platform's own would change the text behind the
    // number's back.
    for (auto editing :
         {QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo, QKeySequence::DeleteStartOfWord,
          QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine}) {
        if (event == editing) {
            event->accept();
            return;
        }
    }
    const QString text = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (!text.isEmpty() && !command && text.at(0).isPrint()) {
        for (QChar c : text) {
            // The keypad's decimal key gives "," on some layouts; the
            // control's point is "." whatever the layout.
            if ((event->modifiers() & Qt::KeypadModifier) && c == QLatin1Char(',')) c = QLatin1Char('.');
            if (keyPress_) keyPress_(c);
            if (c.isNull()) continue;
            if (!isReadOnly()) TypeCharacter(c);
        }
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TNumEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (autoSelect_) selectAll();
    focusValue_ = value_;
    typing_ = false;
}

void TNumEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!isModified()) setModified(value_ != focusValue_);
    typing_ = false;
    SetValue(value_);
}

void TNumEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    // Leaving read-only opens the input method again; keep it closed.
    if (event->type() == QEvent::ReadOnlyChange) setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TNumEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Should an input method still deliver text, it is typed like keys.
    if (!isReadOnly()) {
        for (QChar c : event->commitString()) TypeCharacter(c);
    }
    event->accept();
}

void TNumEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        PasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TNumEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("コピー(&C)"), this, &QLineEdit::copy);
    copyAction->setEnabled(hasSelectedText());
    QAction* pasteAction =
        menu.addAction(QStringLiteral("貼り付け(&P)"), this, [this] { PasteFrom(QClipboard::Clipboard); });
    pasteAction->setEnabled(!isReadOnly() && !QGuiApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(QStringLiteral("すべて選択(&A)"), this, &QLineEdit::selectAll)->setEnabled(!text().isEmpty());
    menu.exec(event->globalPos());
}

// Entering is the first move over the control: both take a text only.
void TNumEdit::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TNumEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!isReadOnly() && event->mimeData()->hasText()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TNumEdit::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    PasteText(event->mimeData()->text());
    event->acceptProposedAction();
}

void SetUpRateEdit(TNumEdit& edit) {
    edit.SetComma(false);
    edit.SetMaxDegits(2);
    edit.SetFixDecimal(3);
    edit.SetFixZeroFormat(true);
}

void SetUpRowNumberEdit(TNumEdit& edit) {
    edit.SetComma(false);
    edit.SetMaxDegits(3);
}

}  // namespace korvalen::wizard
