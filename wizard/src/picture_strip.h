// The picture down the left of the wizard's start page: a ledger sheet with
// its ruled rows and a yen sign over a dark blue ground, drawn to any size.
#pragma once

#include <QWidget>

namespace korvalen::wizard {

class PictureStrip final : public QWidget {
    Q_OBJECT
public:
    explicit PictureStrip(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvalen::wizard
