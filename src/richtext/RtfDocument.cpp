#include "richtext/RtfDocument.h"

#include "richtext/RtfFormat.h"
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace bv {

std::unique_ptr<QTextDocument> NewRichTextDocument()
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    doc->setUseDesignMetrics(true);
    doc->setDocumentMargin(0);
    QFont f(RtfDefaultFontFamily());
    f.setPointSizeF(RtfDefaultPointSize);
    doc->setDefaultFont(f);
    // Points become document pixels at the document's own resolution, not
    // the screen's: the layout is the same on every screen.
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMetre = int(RtfDocumentDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    doc->documentLayout()->setPaintDevice(&device);
    return doc;
}

void CopyRichText(const QTextDocument& from, QTextDocument& target)
{
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    target.clear();
    target.setDefaultFont(from.defaultFont());
    if (!from.isEmpty() || from.begin().blockFormat() != QTextBlockFormat()) {
        QTextCursor c(&target);
        c.insertFragment(QTextDocumentFragment(&from));
        // The first block takes the fragment's first block format only when
        // it is inserted into an empty block; make sure it does.
        c.movePosition(QTextCursor::Start);
        c.setBlockFormat(from.begin().blockFormat());
        c.setBlockCharFormat(from.begin().charFormat());
    }
    target.setUndoRedoEnabled(undo);
    target.setModified(false);
}

TRtfDocument::TRtfDocument() : doc(NewRichTextDocument()) {}

TRtfDocument::~TRtfDocument() = default;

TRtfDocument::TRtfDocument(const TRtfDocument& other) : doc(NewRichTextDocument())
{
    Assign(other);
}

TRtfDocument& TRtfDocument::operator=(const TRtfDocument& other)
{
    Assign(other);
    return *this;
}

void TRtfDocument::Assign(const TRtfDocument& other)
{
    if (&other == this)
        return;
    CopyRichText(*other.doc, *doc);
    source = other.source;
}

void TRtfDocument::AssignDocument(const QTextDocument& document, const QByteArray& sourceBytes)
{
    if (&document != doc.get())
        CopyRichText(document, *doc);
    source = document.isModified() ? QByteArray() : sourceBytes;
}

void TRtfDocument::SetData(const QByteArray& rtf)
{
    RtfReader::Read(rtf, *doc);
    source = rtf;
}

QByteArray TRtfDocument::Data() const
{
    if (!source.isEmpty())
        return source;
    if (doc->isEmpty())
        return {};
    return RtfWriter::Write(*doc);
}

bool TRtfDocument::IsEmpty() const
{
    return doc->isEmpty();
}

QString TRtfDocument::PlainText() const
{
    return doc->toPlainText();
}

void TRtfDocument::SetPlainText(const QString& text)
{
    doc->setPlainText(text);
    source.clear();
}

void TRtfDocument::Clear()
{
    doc->clear();
    source.clear();
}

TRtfStorage::TRtfStorage(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("RtfStorage"));
}

} // namespace bv
