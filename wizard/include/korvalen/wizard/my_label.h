// The plain label class of the settings window's hidden labels.
#pragma once

#include <QLabel>

namespace korvalen::wizard {

class TMyLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

}  // namespace korvalen::wizard
