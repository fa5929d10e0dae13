// The magnifier of the print preview ("拡大表示"): a sizable tool window
// whose picture Image2 fills its client area and shows a part of the page
// at full size.
#pragma once

#include <QDialog>
#include <QImage>

class QLabel;

namespace korvalen::printing {

class TTavPRV2F : public QDialog {
    Q_OBJECT
public:
    static constexpr int kInitialWidth = 226;
    static constexpr int kInitialHeight = 130;

    explicit TTavPRV2F(QWidget* owner);

    // The size of the picture, which is the client area's.
    QSize ImageSize() const;
    // Shows `part` (already of ImageSize()) and repaints at once.
    void ShowPart(const QImage& part);
    // What Image2 shows now.
    QImage Picture() const { return picture_; }

private:
    QLabel* Image2_;
    QImage picture_;
};

}  // namespace korvalen::printing
