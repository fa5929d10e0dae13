// The fields the tool dialogs share: row numbers and rates in TNumEdit
// controls, and the labels beside them.
#pragma once

#include <QLabel>
#include <QRect>
#include <QString>

#include "korvalen/wizard/num_edit.h"

namespace korvalen::wizard {

// A row number of the history grid: up to three digits, no separators.
inline TNumEdit* MakeRowEdit(QWidget* parent, const char* name, const QString& accessibleName, QRect geometry) {
    auto* edit = new TNumEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->SetComma(false);
    edit->SetMaxDegits(3);
    edit->SetValue(0);
    edit->setGeometry(geometry);
    return edit;
}

// A rate in percent as the wizard's contract rate takes it: 18 shows as
// 18.000 once left.
inline TNumEdit* MakeRateEdit(QWidget* parent, const char* name, const QString& accessibleName, QRect geometry) {
    auto* edit = new TNumEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    edit->SetComma(false);
    edit->SetMaxDegits(2);
    edit->SetFixDecimal(3);
    edit->SetFixZeroFormat(true);
    edit->SetValue(0);
    edit->setGeometry(geometry);
    return edit;
}

inline QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

// A row number typed into a field; the field holds nothing else.
inline int RowOf(const TNumEdit* edit) { return static_cast<int>(edit->Value()); }

}  // namespace korvalen::wizard
