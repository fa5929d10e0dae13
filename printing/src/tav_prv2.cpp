#include "korvalen/printing/tav_prv2.h"

#include <QLabel>
#include <QVBoxLayout>

namespace korvalen::printing {

TTavPRV2F::TTavPRV2F(QWidget* owner) : QDialog(owner, Qt::Tool) {
    setObjectName(QStringLiteral("TavPRV2F"));
    setWindowTitle(QStringLiteral("拡大表示"));
    setAccessibleName(windowTitle());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Image2_ = new QLabel(this);
    Image2_->setObjectName(QStringLiteral("Image2"));
    Image2_->setAccessibleName(QStringLiteral("拡大表示"));
    Image2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2_->setMinimumSize(1, 1);
    Image2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(Image2_);
    resize(kInitialWidth, kInitialHeight);
}

QSize TTavPRV2F::ImageSize() const {
    // Before the first showing the layout has not yet sized the label.
    return isVisible() ? Image2_->size() : size();
}

void TTavPRV2F::ShowPart(const QImage& part) {
    picture_ = part;
    Image2_->setPixmap(QPixmap::fromImage(part));
    Image2_->repaint();
}

}  // namespace korvalen::printing
