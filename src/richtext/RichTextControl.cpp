#include "richtext/RichTextControl.h"

#include "platform/Environment.h"
#include "richtext/RtfFormat.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QMimeData>
#include <QStyleOptionGraphicsItem>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace bv {

namespace {

// The editable text of the page, without the dashed focus frame a text item
// draws around itself: the page panel is the frame.
class PageTextItem : public QGraphicsTextItem {
public:
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override
    {
        QStyleOptionGraphicsItem plain(*option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QGraphicsTextItem::paint(painter, &plain, widget);
    }
};

} // namespace

TRichTextControl::TRichTextControl(QWidget* parent) : QGraphicsView(parent), doc(NewRichTextDocument())
{
    doc->setUndoRedoEnabled(true);
    scene = new QGraphicsScene(this);
    item = new PageTextItem;
    item->setDocument(doc.get());
    item->setTextInteractionFlags(Qt::TextEditorInteraction);
    item->setDefaultTextColor(Qt::black);
    // The item's own frame margin would move the text off the page's origin.
    doc->setDocumentMargin(0);
    scene->addItem(item);
    setScene(scene);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setRenderHint(QPainter::TextAntialiasing, true);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    relayout();
    applyView();
}

TRichTextControl::~TRichTextControl()
{
    // The item refers to the document, which goes with this object's
    // members: the scene and its item go first.
    setScene(nullptr);
    delete scene;
    scene = nullptr;
    item = nullptr;
}

TRtfDocument TRichTextControl::RtfText() const
{
    TRtfDocument result;
    result.AssignDocument(*doc, source);
    return result;
}

void TRichTextControl::SetRtfText(const TRtfDocument& value)
{
    CopyRichText(value.Document(), *doc);
    source = value.SourceBytes();
    // The layout of a replaced content is not always redone on its own.
    doc->markContentsDirty(0, doc->characterCount());
    doc->setModified(false);
    relayout();
}

void TRichTextControl::SetColor(TColor value)
{
    if (value == color)
        return;
    color = value;
    viewport()->update();
}

void TRichTextControl::SetTransparent(bool value)
{
    if (value == transparent)
        return;
    transparent = value;
    setAttribute(Qt::WA_TranslucentBackground, value);
    viewport()->setAutoFillBackground(!value);
    setStyleSheet(value ? QStringLiteral("background: transparent") : QString());
    viewport()->update();
}

void TRichTextControl::SetZooming(int percent)
{
    if (percent < 1)
        percent = 1;
    if (percent == zooming)
        return;
    zooming = percent;
    applyView();
}

void TRichTextControl::SetPageSize(int widthTwips, int heightTwips)
{
    pageWidth = std::max(0, widthTwips);
    pageHeight = std::max(0, heightTwips);
    relayout();
    applyView();
}

void TRichTextControl::SetMargins(int left, int right, int top, int bottom)
{
    if (left != KeepMargin)
        marginLeft = left;
    if (right != KeepMargin)
        marginRight = right;
    if (top != KeepMargin)
        marginTop = top;
    if (bottom != KeepMargin)
        marginBottom = bottom;
    relayout();
    applyView();
}

void TRichTextControl::SetWordWrap(bool value)
{
    if (value == wordWrap)
        return;
    wordWrap = value;
    relayout();
}

double TRichTextControl::PixelsPerTwip() const
{
    return ScreenPpi() / 1440.0 * zooming / 100.0;
}

double TRichTextControl::documentWidth() const
{
    return std::max(0, pageWidth - marginLeft - marginRight) / RtfTwipsPerPixel;
}

void TRichTextControl::relayout()
{
    const qreal width = wordWrap ? documentWidth() : -1;
    if (doc->textWidth() != width)
        item->setTextWidth(width);
    item->setPos(marginLeft / RtfTwipsPerPixel, marginTop / RtfTwipsPerPixel);
}

void TRichTextControl::applyView()
{
    // Scene units are document pixels; the view shows them at the zoom.
    const double k = PixelsPerTwip() * RtfTwipsPerPixel;
    QTransform t;
    t.scale(k, k);
    setTransform(t);
    scene->setSceneRect(0, 0, pageWidth / RtfTwipsPerPixel, pageHeight / RtfTwipsPerPixel);
    viewport()->update();
}

void TRichTextControl::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    applyView();
}

void TRichTextControl::keyReleaseEvent(QKeyEvent* event)
{
    QGraphicsView::keyReleaseEvent(event);
    emit CurrentFormatChanged();
}

void TRichTextControl::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    emit CurrentFormatChanged();
}

void TRichTextControl::drawBackground(QPainter* painter, const QRectF& rect)
{
    if (transparent)
        return;
    painter->fillRect(rect, ToQColor(color));
}

void TRichTextControl::PaintPage(QPainter& painter, int page, const QRect& area)
{
    if (area.width() <= 0 || area.height() <= 0 || page < 0)
        return;
    relayout();
    const double s = PixelsPerTwip();
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    const QRectF pageRect(area.left(), area.top(), pageWidth * s, pageHeight * s);
    painter.setClipRect(pageRect, Qt::IntersectClip);
    if (!(paintOption & PaintTextOnly))
        painter.fillRect(pageRect, ToQColor(color));

    const double k = s * RtfTwipsPerPixel; // screen pixels per document pixel
    const double textHeight = std::max(0, pageHeight - marginTop - marginBottom) / RtfTwipsPerPixel;
    const double textWidth = wordWrap ? documentWidth() : doc->size().width();
    painter.translate(area.left() + marginLeft * s, area.top() + marginTop * s);
    painter.scale(k, k);
    painter.translate(0, -page * textHeight);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    ctx.clip = QRectF(0, page * textHeight, std::max(textWidth, doc->size().width()), textHeight);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    doc->documentLayout()->draw(&painter, ctx);
    painter.restore();
}

void TRichTextControl::Reformat()
{
    doc->markContentsDirty(0, doc->characterCount());
    relayout();
    viewport()->update();
}

void TRichTextControl::CaretToStart()
{
    QTextCursor c(doc.get());
    c.movePosition(QTextCursor::Start);
    item->setTextCursor(c);
    emit CurrentFormatChanged();
}

void TRichTextControl::SetEditFocus()
{
    setFocus(Qt::OtherFocusReason);
    scene->setFocusItem(item, Qt::OtherFocusReason);
    item->setFocus(Qt::OtherFocusReason);
}

QTextCursor TRichTextControl::TextCursor() const
{
    return item->textCursor();
}

void TRichTextControl::SetTextCursor(const QTextCursor& cursor)
{
    item->setTextCursor(cursor);
    emit CurrentFormatChanged();
}

QTextCharFormat TRichTextControl::CurrentCharFormat() const
{
    return item->textCursor().charFormat();
}

void TRichTextControl::MergeCharFormat(const QTextCharFormat& format)
{
    QTextCursor c = item->textCursor();
    c.mergeCharFormat(format);
    item->setTextCursor(c);
    emit CurrentFormatChanged();
}

void TRichTextControl::SetAlignment(Qt::Alignment alignment)
{
    QTextCursor c = item->textCursor();
    QTextBlockFormat f;
    f.setAlignment(alignment);
    c.mergeBlockFormat(f);
    item->setTextCursor(c);
    emit CurrentFormatChanged();
}

void TRichTextControl::Copy()
{
    const QTextCursor c = item->textCursor();
    if (!c.hasSelection())
        return;
    const QTextDocumentFragment fragment = c.selection();
    auto* mime = new QMimeData;
    mime->setHtml(fragment.toHtml());
    mime->setText(fragment.toPlainText());
    QApplication::clipboard()->setMimeData(mime);
}

void TRichTextControl::Cut()
{
    QTextCursor c = item->textCursor();
    if (!c.hasSelection())
        return;
    Copy();
    c.removeSelectedText();
    item->setTextCursor(c);
}

void TRichTextControl::Paste()
{
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime)
        return;
    QTextCursor c = item->textCursor();
    if (mime->hasHtml())
        c.insertFragment(QTextDocumentFragment::fromHtml(mime->html()));
    else if (mime->hasText())
        c.insertText(mime->text());
    else
        return;
    item->setTextCursor(c);
}

} // namespace bv
