#pragma once
// The preview window: shows the page a preview job recorded, in a scroll box,
// with zoom buttons (10 % to 200 %, page width, whole page), clicks that zoom
// (left in, any other button out) and the Up/Down keys for scrolling.
#include "pageengine/PagePlayer.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace bv {

// Shows a recorded job in a scroll box: the current page drawn at the zoom
// factor on a grey ground, with a margin of 2.5 % of the page around it and a
// 5-pixel shadow. The page is a picture control inside the scroll box.
class TPagePreview : public TPagePlayer {
public:
    TPagePreview();
    ~TPagePreview() override;

    QScrollArea* ScrollBox() const { return scrollBox; }
    void SetScrollBox(QScrollArea* box);

    // Percent, kept within MinZoom..MaxZoom.
    static constexpr int MinZoom = 10;
    static constexpr int MaxZoom = 200;
    int Zoom() const { return zoomPercent; }
    void SetZoom(int percent);
    int ZoomInc = 10;
    void ZoomIn() { SetZoom(zoomPercent + ZoomInc); }
    void ZoomOut() { SetZoom(zoomPercent - ZoomInc); }
    // The factor at which the page's width (or the whole page) fits the
    // scroll box, then set.
    int PageWidthZoom() const;
    int WholePageZoom() const;
    void ZoomPageWidth() { SetZoom(PageWidthZoom()); }
    void ZoomPage() { SetZoom(WholePageZoom()); }

    double MarginPercent = 2.5;
    int ShadowDepth = 5;
    // Screen pixels per inch at 100 % (ScreenPpi() at creation).
    int Ppi = 96;

    // Loads the recording and draws its first page.
    void Start(const QByteArray& recording);
    // Lets go of the recording and the page controls.
    void Finish();
    bool Active() const { return active; }

    int FirstPage() const { return 1; }
    int CurrentPage() const { return currentPage; }
    void SetCurrentPage(int page);
    // Draws the current page at the zoom factor into the scroll box.
    void DrawCurrentPage();

    // The picture controls in the scroll box (the page and its ground).
    QList<QWidget*> PictureControls() const;
    // The page's picture as last drawn.
    const QImage& PageImage() const { return pageImage; }

    std::function<void()> OnPageChange;
    std::function<void()> OnZoomChange;

private:
    QSize pagePixelsAt(int percent) const;

    QScrollArea* scrollBox = nullptr;
    QPointer<QWidget> ground;
    QPointer<QLabel> picture;
    QImage pageImage;
    int zoomPercent = 100;
    int currentPage = 0;
    bool active = false;
};

class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreviewForm(QWidget* parent = nullptr);
    ~TPreviewForm() override;

    // The recorded job to show (DoPrint hands over its memory stream).
    void SetRecording(const QByteArray& recording) { recordingBytes = recording; }
    // Shows the Print button (a preview of sheets as they will print); its
    // click closes the preview with PrintRequested() true.
    void SetPrintable(bool value);
    bool PrintRequested() const { return printRequested; }

    // First activation: placement, previewer started, picture controls
    // wired to the mouse handler, zoom 100 %.
    void FormActivate();
    void SBZoomInClick() { PagePreview1.ZoomIn(); }
    void SBZoomOutClick() { PagePreview1.ZoomOut(); }
    void SBZoomPageWidthClick() { PagePreview1.ZoomPageWidth(); }
    void SBZoomPageClick() { PagePreview1.ZoomPage(); }
    void PagePreview1PageChange();
    void PagePreview1ZoomChange();
    void ScrollBox1MouseDown(Qt::MouseButton button);
    // Up/Down keys move the vertical scroll position by one increment.
    bool FormKeyDown(int key);
    void CloseButtonClick();

    TPagePreview PagePreview1;
    QScrollArea* ScrollBox1 = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
    QToolButton* sbZoomIn = nullptr;
    QToolButton* sbZoomOut = nullptr;
    QToolButton* sbZoomPageWidth = nullptr;
    QToolButton* sbZoomPage = nullptr;
    // Page stepping (also Page Up / Page Down).
    QToolButton* sbPriorPage = nullptr;
    QToolButton* sbNextPage = nullptr;
    QPushButton* PrintSheetButton = nullptr;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wirePictureControls();

    void updatePageButtons();

    QByteArray recordingBytes;
    bool printRequested = false;
    bool firstActivation = true;
    bool closing = false;
};

} // namespace bv
