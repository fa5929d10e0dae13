// A one-line text edit with its caption above it, whose text never grows
// beyond the width of the table column it is saved into. Columns are
// measured in Shift-JIS (CP932) bytes, so the limit counts those: a kanji
// takes two, a half-width kana one. Whatever would make the text too long,
// or bring in a character Shift-JIS cannot store, is refused whole with a
// beep: a typed key, a paste, a drop or an input-method commit alike.
#pragma once

#include <QLineEdit>
#include <functional>

class QLabel;

namespace korvalen::wizard {

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    TLabeledEdit(const QString& caption, QWidget* parent);

    // The caption, a label of the same parent kept just above the edit.
    QLabel* EditLabel() const { return editLabel_; }
    // Places the edit with its caption above it.
    void PlaceAt(int left, int top, int width, int height);

    // The column's width in CP932 bytes; 0 takes any length.
    void SetByteWidth(int bytes);
    int ByteWidth() const { return byteWidth_; }

    // Every refusal beeps through this (default QApplication::beep).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

private:
    void Beep();

    QLabel* editLabel_;
    int byteWidth_ = 0;
    std::function<void()> beep_;
};

// Whether a text fits a column of `bytes` CP932 bytes: every character has
// a Shift-JIS code and their bytes add up to no more than the width.
bool FitsCp932Width(const QString& text, int bytes);

}  // namespace korvalen::wizard
