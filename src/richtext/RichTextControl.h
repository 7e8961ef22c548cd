#pragma once
// TRichTextControl: the rich text engine's visual control. It holds one
// document, lays it out on a page of a given size in twips (wrapped at the
// page width minus the margins) and either shows it for editing at a zoom
// or paints a page of it into any painter.
//
// The page contract the rich text objects rely on: a page of P twips at Z
// percent covers P * Z / 100 / 1440 inches at the screen's pixels per inch,
// and nothing is painted outside the area given to PaintPage.
//
// Editing happens on a graphics scene (one editable text item the size of
// the page), shown through the view at the zoom, so the text wraps the same
// at every zoom.
#include "platform/Colors.h"
#include "richtext/RtfDocument.h"

#include <QGraphicsView>
#include <QTextCharFormat>

class QGraphicsScene;
class QGraphicsTextItem;
class QPainter;

namespace bv {

class TRichTextControl : public QGraphicsView {
    Q_OBJECT
public:
    // Margins given as this leave the current value.
    static constexpr int KeepMargin = -1000;
    // Paint option: only the text; the caller has filled the background.
    static constexpr int PaintTextOnly = 4;

    explicit TRichTextControl(QWidget* parent = nullptr);
    ~TRichTextControl() override;

    // The document: reading gives a copy (with the bytes it was read from
    // while it was not edited); assigning replaces the whole content.
    TRtfDocument RtfText() const;
    void SetRtfText(const TRtfDocument& value);
    QTextDocument& Document() { return *doc; }
    const QTextDocument& Document() const { return *doc; }

    // Page colour behind the text.
    TColor Color() const { return color; }
    void SetColor(TColor value);
    int Zooming() const { return zooming; }
    void SetZooming(int percent);
    int PageWidth() const { return pageWidth; }
    int PageHeight() const { return pageHeight; }
    void SetPageSize(int widthTwips, int heightTwips);
    void SetMargins(int left, int right, int top, int bottom);
    int LeftMargin() const { return marginLeft; }
    int RightMargin() const { return marginRight; }
    int TopMargin() const { return marginTop; }
    int BottomMargin() const { return marginBottom; }
    bool WordWrap() const { return wordWrap; }
    void SetWordWrap(bool value);
    int PaintOption() const { return paintOption; }
    void SetPaintOption(int value) { paintOption = value; }
    bool Transparent() const { return transparent; }
    // A transparent control shows what lies behind it instead of its colour.
    void SetTransparent(bool value);

    // Paints page `page` (0 is the first) into `area` of the painter: the
    // page's top-left corner at the area's, scaled by the zoom.
    void PaintPage(QPainter& painter, int page, const QRect& area);
    // Screen pixels per twip at the current zoom.
    double PixelsPerTwip() const;

    // --- editing -------------------------------------------------------------------
    void Reformat();
    void CaretToStart();
    void SetEditFocus();
    QTextCursor TextCursor() const;
    void SetTextCursor(const QTextCursor& cursor);
    // Applies a character format to the selection, or to what is typed next.
    void MergeCharFormat(const QTextCharFormat& format);
    void SetAlignment(Qt::Alignment alignment);
    QTextCharFormat CurrentCharFormat() const;
    void Copy();
    void Cut();
    void Paste();
    QGraphicsTextItem* TextItem() const { return item; }

signals:
    // The caret moved or the formatting at the caret changed.
    void CurrentFormatChanged();

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;
    // The caret may have moved: the toolbar shows the format there.
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void relayout();
    double documentWidth() const;  // text width in document pixels
    void applyView();

    std::unique_ptr<QTextDocument> doc;
    QGraphicsScene* scene = nullptr;
    QGraphicsTextItem* item = nullptr;
    QByteArray source; // bytes the document was read from, while unedited
    TColor color = clWhite;
    int zooming = 100;
    int pageWidth = 12240;  // 8.5 inches
    int pageHeight = 15840; // 11 inches
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    bool wordWrap = true;
    bool transparent = false;
    int paintOption = 0;
};

} // namespace bv
