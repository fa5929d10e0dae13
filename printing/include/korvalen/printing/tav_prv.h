// The print preview window ("印刷プレビュー") that every printout opens on
// the page images it rendered: paging, zoom steps, actual size, the
// magnifier, copying a page to the clipboard, and the answer print or
// close. It only scales and copies the images it is given.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <functional>
#include <vector>

#include "korvalen/platform/messages.h"
#include "korvalen/printing/tav_prv2.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;
class QWidget;

namespace korvalen::printing {

class TTavPRV2F;

enum class PreviewAnswer { Print, Close };

// The window's designed size, for callers that do not size it to its page.
inline constexpr int kPreviewDesignWidth = 720;
inline constexpr int kPreviewDesignHeight = 770;

class TTavPRVF : public QDialog {
    Q_OBJECT
public:
    // The page image's offset inside the scrolling area.
    static constexpr int kImageLeft = 16;
    static constexpr int kImageTop = 12;

    TTavPRVF(platform::MessageService& messages, QWidget* parent = nullptr);
    ~TTavPRVF() override;

    // The set-up, made before the window is first shown. The page images
    // stay the caller's and must outlive the window.
    void SetPageImages(const std::vector<QImage>* pages);
    void SetDisplaySize(QSize size);
    void SetZoomStep(int x, int y);
    void SetZoomLabel(const QString& label);
    // Gives the window a PDF button that runs `save` (the statement has one).
    void SetPdfSaver(std::function<void(QWidget* window)> save);

    // Shows the window modally; shown again, it keeps its page, zoom and
    // magnifier as they were.
    PreviewAnswer ShowModal();

    // What the window shows, for its owner and for tests.
    QSize DisplaySize() const { return displaySize_; }
    const QImage* CurrentImage() const { return currentImage_; }
    bool MagnifierOn() const { return magnifierOn_; }
    TTavPRV2F* Magnifier() const { return magnifier_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void BuildControls();
    void FirstShowing();
    void ShowCurrentImage();
    QImage* PageOfSelector() const;
    void SetLabelFromWidth();
    void SwitchMagnifierOff();
    void CloseMagnifier();
    void MagnifyAt(QPoint position, bool press);
    void CopyToClipboard();

    void SBCloseClick();
    void PrintBtnClick();
    void NormalBtnClick();
    void UpBtnClick();
    void DownBtnClick();
    void GlassBtnClick(bool checked);
    void SpinEdit1Change(int value);

    platform::MessageService& messages_;
    const std::vector<QImage>* pages_ = nullptr;
    const QImage* currentImage_ = nullptr;
    QSize displaySize_;
    int zoomStepX_ = 0;
    int zoomStepY_ = 0;
    bool magnifierOn_ = false;
    bool shownBefore_ = false;
    std::function<void(QWidget*)> savePdf_;
    QPointer<TTavPRV2F> magnifier_;

    QPushButton* SBClose_;
    QPushButton* PrintBtn_;
    QPushButton* PdfBtn_;
    QToolButton* NormalBtn_;
    QLineEdit* Edit1_;
    QToolButton* UpBtn_;
    QToolButton* DownBtn_;
    QToolButton* GlassBtn_;
    QWidget* PagePanel_;
    QSpinBox* SpinEdit1_;
    QLineEdit* TotalEdit_;
    QPushButton* SaveBtn_;
    QScrollArea* ScrollBox1_;
    QLabel* Image1_;
};

}  // namespace korvalen::printing
