// The numeric edit control of every amount, rate and row-number field. It
// keeps a number, not a text: each accepted key changes the number and the
// text is always written anew from it by one formatting routine, so the
// field never holds anything but a well-formed number.
#pragma once

#include <QChar>
#include <QClipboard>
#include <QLineEdit>
#include <QString>
#include <functional>

namespace korvalen::wizard {

class TNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumEdit(QWidget* parent = nullptr);

    // Thousands separators in the text (default true).
    bool Comma() const { return comma_; }
    bool SetComma(bool on);
    // The minus key may change the sign (default false).
    bool CanNegative() const { return canNegative_; }
    void SetCanNegative(bool on) { canNegative_ = on; }
    // A character above the space is put in front of the number text
    // (default a space, which shows nothing).
    QChar LeadingChar() const { return leadingChar_; }
    void SetLeadingChar(QChar c);
    // A zero value shows as 0; when false as an empty text (default true).
    bool ZeroDisplay() const { return zeroDisplay_; }
    void SetZeroDisplay(bool on);
    // Integer digits, 1 to 15 (default 9): typed values stay strictly
    // between -10^MaxDegits and 10^MaxDegits.
    int MaxDegits() const { return maxDegits_; }
    bool SetMaxDegits(int digits);
    // The number; assigning it writes the text.
    long double Value() const { return value_; }
    void SetValue(long double x);
    // Decimal digits that may be typed, 0 to 14; 0 = whole numbers (default 0).
    int FixDecimal() const { return fixDecimal_; }
    bool SetFixDecimal(int decimals);
    // A whole number padded with leading zeros to MaxDegits digits.
    bool ZeroFormat() const { return zeroFormat_; }
    bool SetZeroFormat(bool on);
    // A non-zero value shows exactly FixDecimal decimals when it was not
    // just typed.
    bool FixZeroFormat() const { return fixZeroFormat_; }
    bool SetFixZeroFormat(bool on);

    // The setters of the rule-bound properties return false for a refused
    // assignment, which keeps the old value; this is the rule's message
    // (empty after an accepted assignment). Nothing is shown at run time.
    const QString& LastRefusal() const { return lastRefusal_; }

    // The shown text; it changes only through Value.
    QString Text() const { return text(); }

    // On receiving the focus the whole text is selected (default true).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // Every beep of the control goes through this (default QApplication::beep).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    // Sees each typed character before the control does and may change it;
    // a null character drops it (the control's OnKeyPress).
    void SetKeyPress(std::function<void(QChar&)> handler) { keyPress_ = std::move(handler); }

    // Internal state, readable for the windows that build on the control.
    long double ValueLimit() const { return valueLimit_; }
    int DecimalCount() const { return decimalCount_; }
    bool PointEntered() const { return pointEntered_; }
    long double FocusValue() const { return focusValue_; }

    // A text from the clipboard or a drop, taken through the same rules as
    // typed characters: digits, an optional point and sign, separators and
    // blanks (full-width forms too, a yen or percent sign around them). Any
    // other text is refused with a beep and changes nothing. False when
    // refused.
    bool PasteText(const QString& text);

signals:
    // The text changed (the control's OnChange).
    void Changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Nothing but the formatting routine writes the text.
    using QLineEdit::setText;

    bool Refuse(const char* message);
    void Accept() { lastRefusal_.clear(); }
    void Beep();
    void TypeCharacter(QChar c);
    void TypeDigit(int digit);
    void KeyBackspace();
    void KeyDelete();
    void ShowText(const QString& text);
    void ForeignTextChange(const QString& text);
    void Reformat();
    void PasteFrom(QClipboard::Mode mode);

    bool comma_ = true;
    bool canNegative_ = false;
    QChar leadingChar_ = QLatin1Char(' ');
    bool zeroDisplay_ = true;
    int maxDegits_ = 9;
    long double value_ = 0;
    int fixDecimal_ = 0;
    bool zeroFormat_ = false;
    bool fixZeroFormat_ = false;
    bool autoSelect_ = true;

    long double valueLimit_ = 1e9L;
    int decimalCount_ = 0;
    bool pointEntered_ = false;
    bool keepDecimals_ = false;
    bool typing_ = false;
    long double focusValue_ = 0;

    bool formatted_ = false;  // Value was assigned or the focus left once
    bool writingText_ = false;
    QString shownText_;
    QString lastRefusal_;
    std::function<void()> beep_;
    std::function<void(QChar&)> keyPress_;
};

// The settings of the system's rate fields: two integer and three decimal
// digits, no separators, the three decimals shown once the field is left.
void SetUpRateEdit(TNumEdit& edit);
// The settings of the row-number fields of the bulk tools: up to three
// digits, no separators.
void SetUpRowNumberEdit(TNumEdit& edit);

// The decimal text of `x` to 15 significant digits, without exponent and
// without trailing zeros (0.1 + 0.2 gives 0.3, 1e-5 gives 0.00001): the
// number's "shortest decimal text" that the formatting routine counts
// decimals in.
QString ShortestDecimalText(long double x);

}  // namespace korvalen::wizard
