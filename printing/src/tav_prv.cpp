#include "korvalen/printing/tav_prv.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "korvalen/printing/tav_prv2.h"

namespace korvalen::printing {

namespace {

enum class Glyph { ActualSize, ZoomIn, ZoomOut, Glass };

// The speed buttons' pictures: a magnifying glass, with a plus or a minus
// for the zoom steps, and "1:1" for the actual size.
QIcon GlyphIcon(Glyph glyph) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    if (glyph == Glyph::ActualSize) {
        QFont font = p.font();
        font.setPixelSize(10);
        font.setBold(true);
        p.setFont(font);
        p.drawRect(QRectF(1.5, 3.5, 17, 13));
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("1:1"));
        return QIcon(pixmap);
    }
    p.drawEllipse(QRectF(2, 2, 11, 11));
    p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 12), QPointF(17.5, 17.5));
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    if (glyph != Glyph::Glass) p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
    if (glyph == Glyph::ZoomIn) p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
    return QIcon(pixmap);
}

QToolButton* SpeedButton(QWidget* parent, const char* name, Glyph glyph, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(20, 20));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) button->setToolTip(hint);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    // A dialog's buttons would take Enter as a click; here Enter does nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    // As wide as the caption: the bar holds every control above a half-size page.
    if (!caption.isEmpty()) {
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) + 18);
    }
    return button;
}

QLineEdit* ReadOnlyField(QWidget* parent, const char* name, const QString& hint, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setToolTip(hint);
    edit->setAccessibleName(hint);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFixedWidth(width);
    return edit;
}

}  // namespace

TTavPRVF::TTavPRVF(platform::MessageService& messages, QWidget* parent) : QDialog(parent), messages_(messages) {
    setObjectName(QStringLiteral("TavPRVF"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setAccessibleName(windowTitle());
    BuildControls();
    // The window sees every key before its controls do.
    qApp->installEventFilter(this);
}

TTavPRVF::~TTavPRVF() {
    qApp->removeEventFilter(this);
    CloseMagnifier();
}

void TTavPRVF::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setAccessibleName(QStringLiteral("ツールバー"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);
    SBClose_ = Button(bar, "SBClose", QStringLiteral("閉じる(&C)"), QStringLiteral("画面を閉じる"));
    PrintBtn_ = Button(bar, "PrintBtn", QStringLiteral("印刷(&P)"), QString());
    PdfBtn_ = Button(bar, "PdfBtn", QStringLiteral("PDF保存(&D)"), QStringLiteral("PDFファイルに保存"));
    PdfBtn_->setVisible(false);
    NormalBtn_ = SpeedButton(bar, "NormalBtn", Glyph::ActualSize, QStringLiteral("実寸表示(F6)"));
    Edit1_ = ReadOnlyField(bar, "Edit1", QStringLiteral("表示ｻｲｽﾞ"), 44);
    UpBtn_ = SpeedButton(bar, "UpBtn", Glyph::ZoomIn, QStringLiteral("拡大(F7)"));
    DownBtn_ = SpeedButton(bar, "DownBtn", Glyph::ZoomOut, QStringLiteral("縮小(F8)"));
    GlassBtn_ = SpeedButton(bar, "GlassBtn", Glyph::Glass, QStringLiteral("一部を拡大表示(F9)"));
    GlassBtn_->setCheckable(true);

    PagePanel_ = new QWidget(bar);
    PagePanel_->setObjectName(QStringLiteral("PagePanel"));
    PagePanel_->setAccessibleName(QStringLiteral("ページ"));
    auto* pages = new QHBoxLayout(PagePanel_);
    pages->setContentsMargins(4, 0, 0, 0);
    pages->setSpacing(2);
    auto* pLabel = new QLabel(QStringLiteral("P."), PagePanel_);
    SpinEdit1_ = new QSpinBox(PagePanel_);
    SpinEdit1_->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1_->setToolTip(QStringLiteral("現在の表示ﾍﾟｰｼﾞ（↑と↓で増減）"));
    SpinEdit1_->setAccessibleName(QStringLiteral("現在の表示ﾍﾟｰｼﾞ"));
    // Arrows only, no typing.
    if (auto* typing = SpinEdit1_->findChild<QLineEdit*>()) typing->setReadOnly(true);
    SpinEdit1_->setFixedWidth(46);
    pLabel->setBuddy(SpinEdit1_);
    auto* slash = new QLabel(QStringLiteral("／"), PagePanel_);
    TotalEdit_ = ReadOnlyField(PagePanel_, "TotalEdit", QStringLiteral("総ﾍﾟｰｼﾞ数"), 34);
    pages->addWidget(pLabel);
    pages->addWidget(SpinEdit1_);
    pages->addWidget(slash);
    pages->addWidget(TotalEdit_);

    SaveBtn_ = Button(bar, "SaveBtn", QString(), QStringLiteral("画像をﾌｧｲﾙに保存"));
    SaveBtn_->setAccessibleName(QStringLiteral("画像をﾌｧｲﾙに保存"));
    SaveBtn_->setVisible(false);

    for (QWidget* w : std::initializer_list<QWidget*>{SBClose_, PrintBtn_, PdfBtn_, NormalBtn_, Edit1_, UpBtn_,
                                                      DownBtn_, GlassBtn_, PagePanel_}) {
        row->addWidget(w);
    }
    row->addStretch(1);
    layout->addWidget(bar);

    ScrollBox1_ = new QScrollArea(this);
    ScrollBox1_->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1_->setAccessibleName(QStringLiteral("ページ表示"));
    ScrollBox1_->setWidgetResizable(false);
    ScrollBox1_->setBackgroundRole(QPalette::Dark);
    auto* canvas = new QWidget;
    Image1_ = new QLabel(canvas);
    Image1_->setObjectName(QStringLiteral("Image1"));
    Image1_->setAccessibleName(QStringLiteral("ページの画像"));
    Image1_->move(kImageLeft, kImageTop);
    Image1_->setMouseTracking(true);
    Image1_->setCursor(Qt::CrossCursor);
    // Its mouse events reach eventFilter through the application's filter.
    ScrollBox1_->setWidget(canvas);
    layout->addWidget(ScrollBox1_, 1);

    connect(SBClose_, &QPushButton::clicked, this, &TTavPRVF::SBCloseClick);
    connect(PrintBtn_, &QPushButton::clicked, this, &TTavPRVF::PrintBtnClick);
    connect(PdfBtn_, &QPushButton::clicked, this, [this] {
        if (savePdf_) savePdf_(this);
    });
    connect(NormalBtn_, &QToolButton::clicked, this, &TTavPRVF::NormalBtnClick);
    connect(UpBtn_, &QToolButton::clicked, this, &TTavPRVF::UpBtnClick);
    connect(DownBtn_, &QToolButton::clicked, this, &TTavPRVF::DownBtnClick);
    connect(GlassBtn_, &QToolButton::toggled, this, &TTavPRVF::GlassBtnClick);
    connect(SpinEdit1_, &QSpinBox::valueChanged, this, &TTavPRVF::SpinEdit1Change);
    connect(SaveBtn_, &QPushButton::clicked, this, &TTavPRVF::CopyToClipboard);
}

void TTavPRVF::SetPageImages(const std::vector<QImage>* pages) {
    pages_ = pages;
    currentImage_ = pages_ && !pages_->empty() ? &pages_->front() : nullptr;
}

void TTavPRVF::SetDisplaySize(QSize size) { displaySize_ = size; }

void TTavPRVF::SetZoomStep(int x, int y) {
    zoomStepX_ = x;
    zoomStepY_ = y;
}

void TTavPRVF::SetZoomLabel(const QString& label) { Edit1_->setText(label); }

void TTavPRVF::SetPdfSaver(std::function<void(QWidget*)> save) {
    savePdf_ = std::move(save);
    PdfBtn_->setVisible(static_cast<bool>(savePdf_));
}

PreviewAnswer TTavPRVF::ShowModal() {
    return exec() == QDialog::Accepted ? PreviewAnswer::Print : PreviewAnswer::Close;
}

void TTavPRVF::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shownBefore_) {
        shownBefore_ = true;
        FirstShowing();
    }
}

void TTavPRVF::FirstShowing() {
    const int count = pages_ ? static_cast<int>(pages_->size()) : 0;
    if (count < 2) {
        PagePanel_->setVisible(false);
        PagePanel_->setEnabled(false);
    } else {
        const QSignalBlocker quiet(SpinEdit1_);
        SpinEdit1_->setRange(1, count);
        SpinEdit1_->setValue(1);
        TotalEdit_->setText(QString::number(count));
    }
    ShowCurrentImage();
}

void TTavPRVF::ShowCurrentImage() {
    if (!currentImage_ || displaySize_.isEmpty()) return;
    // The whole page into the whole display area; smoothing keeps the
    // small text of a reduced page legible.
    const QImage shown = currentImage_->scaled(displaySize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Image1_->setPixmap(QPixmap::fromImage(shown));
    Image1_->resize(displaySize_);
    ScrollBox1_->widget()->resize(displaySize_.width() + 2 * kImageLeft, displaySize_.height() + 2 * kImageTop);
}

QImage* TTavPRVF::PageOfSelector() const {
    if (!pages_ || !PagePanel_->isEnabled()) return nullptr;
    const int index = SpinEdit1_->value() - 1;
    if (index < 0 || index >= static_cast<int>(pages_->size())) return nullptr;
    return const_cast<QImage*>(&(*pages_)[static_cast<std::size_t>(index)]);
}

void TTavPRVF::SetLabelFromWidth() {
    if (!currentImage_ || currentImage_->width() == 0) return;
    Edit1_->setText(QString::number(displaySize_.width() * 100 / currentImage_->width()) + QStringLiteral("％"));
}

void TTavPRVF::SBCloseClick() { reject(); }

void TTavPRVF::PrintBtnClick() { accept(); }

void TTavPRVF::NormalBtnClick() {
    if (QImage* page = PageOfSelector()) currentImage_ = page;
    if (!currentImage_) return;
    displaySize_ = currentImage_->size();
    ShowCurrentImage();
    Edit1_->setText(QStringLiteral("100％"));
    UpBtn_->setEnabled(false);
    SwitchMagnifierOff();
    GlassBtn_->setEnabled(false);
    DownBtn_->setEnabled(true);
}

void TTavPRVF::UpBtnClick() {
    if (!currentImage_) return;
    displaySize_ += QSize(zoomStepX_, zoomStepY_);
    ShowCurrentImage();
    SetLabelFromWidth();
    if (displaySize_.width() >= currentImage_->width()) {
        SwitchMagnifierOff();
        UpBtn_->setEnabled(false);
        GlassBtn_->setEnabled(false);
    }
    DownBtn_->setEnabled(true);
}

void TTavPRVF::DownBtnClick() {
    if (!currentImage_) return;
    displaySize_ -= QSize(zoomStepX_, zoomStepY_);
    ShowCurrentImage();
    SetLabelFromWidth();
    if (zoomStepX_ >= displaySize_.width()) DownBtn_->setEnabled(false);
    UpBtn_->setEnabled(true);
    GlassBtn_->setEnabled(true);
}

void TTavPRVF::GlassBtnClick(bool checked) {
    magnifierOn_ = checked;
    if (!checked && magnifier_) magnifier_->close();
}

void TTavPRVF::SwitchMagnifierOff() {
    if (magnifierOn_) GlassBtn_->setChecked(false);  // runs GlassBtnClick
}

void TTavPRVF::SpinEdit1Change(int) {
    if (QImage* page = PageOfSelector()) {
        currentImage_ = page;
        ShowCurrentImage();
    }
}

void TTavPRVF::MagnifyAt(QPoint position, bool press) {
    if (!currentImage_ || displaySize_.isEmpty()) return;
    if (press && !magnifier_) {
        magnifier_ = new TTavPRV2F(this);
        magnifier_->move(Image1_->mapToGlobal(position) + QPoint(24, 24));
    }
    if (!magnifier_ || !magnifierOn_) return;
    const QSize part = magnifier_->ImageSize();
    const int pageWidth = currentImage_->width();
    const int pageHeight = currentImage_->height();
    const int sx = position.x() * pageWidth / displaySize_.width();
    const int sy = position.y() * pageHeight / displaySize_.height();
    int left = sx - part.width() / 2;
    if (left < 0) left = 0;
    if (left + part.width() > pageWidth) left = pageWidth - part.width();
    int top = sy - part.height() / 2;
    if (top < 0) top = 0;
    if (top + part.height() > pageHeight) top = pageHeight - part.height();
    magnifier_->ShowPart(currentImage_->copy(left, top, part.width(), part.height()));
    if (press) {
        magnifier_->show();
    } else {
        Image1_->repaint();
    }
}

void TTavPRVF::CopyToClipboard() {
    if (QImage* page = PageOfSelector()) currentImage_ = page;
    if (!currentImage_) return;
    QApplication::clipboard()->setImage(*currentImage_);
    messages_.ShowPlain("貼り付け完了！！");
}

bool TTavPRVF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1_) {
        if (event->type() == QEvent::MouseButtonPress) {
            MagnifyAt(static_cast<QMouseEvent*>(event)->position().toPoint(), true);
        } else if (event->type() == QEvent::MouseMove && magnifier_ && magnifierOn_) {
            MagnifyAt(static_cast<QMouseEvent*>(event)->position().toPoint(), false);
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        // A dialog would close on Escape; this window binds no such key.
        case Qt::Key_Escape: return true;
        case Qt::Key_S:
            if (modifiers == (Qt::ShiftModifier | Qt::ControlModifier)) {
                CopyToClipboard();
                return true;
            }
            return false;
        default: return false;
    }
}

void TTavPRVF::closeEvent(QCloseEvent* event) {
    CloseMagnifier();
    QDialog::closeEvent(event);
}

void TTavPRVF::done(int result) {
    CloseMagnifier();
    QDialog::done(result);
}

void TTavPRVF::CloseMagnifier() {
    if (magnifier_) {
        magnifier_->close();
        delete magnifier_;
    }
}

}  // namespace korvalen::printing
