// The fields the tool dialogs share: row numbers and rates in TNumEdit
// controls, and the labels beside them.
#pragma once

#include <QLabel>
#include <QRect>
#include <QString>

#include "korvalen/wizard/num_edit.h"

namespace korvalen::wizard {

// A field with the settings `setUp` gives it (SetUpRowNumberEdit,
// SetUpRateEdit), showing 0 from the start.
inline TNumEdit* MakeNumEdit(QWidget* parent, const char* name, const QString& accessibleName, QRect geometry,
                             void (*setUp)(TNumEdit&)) {
    auto* edit = new TNumEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(accessibleName);
    setUp(*edit);
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
