#pragma once
// TRtfDocument: one formatted text, held as a QTextDocument, together with
// the RTF bytes it was read from. Those bytes are what the document writes
// back as long as nobody changed it, so a design saved without editing its
// rich text keeps the text data byte for byte; once changed, it is written
// by RtfWriter.
//
// TRtfStorage: the non-visual holder of a rich text object's document.
#include <QByteArray>
#include <QObject>
#include <memory>

class QTextDocument;

namespace bv {

class TRtfDocument {
public:
    TRtfDocument();
    ~TRtfDocument();
    TRtfDocument(const TRtfDocument& other);
    TRtfDocument& operator=(const TRtfDocument& other);

    // Copy: the whole content (text and all formatting) and the bytes kept.
    void Assign(const TRtfDocument& other);
    // Takes the content of a Qt document; it counts as changed unless
    // `source` gives the bytes it was read from and it was not modified since.
    void AssignDocument(const QTextDocument& document, const QByteArray& source = {});

    // Reads RTF (or, when the bytes are no RTF, plain text); the bytes are
    // kept as they are.
    void SetData(const QByteArray& rtf);
    // The document as RTF: the bytes read when unchanged, else written anew.
    // Empty for an empty document that was not read from bytes.
    QByteArray Data() const;
    // The bytes read and not invalidated by a change; empty otherwise.
    const QByteArray& SourceBytes() const { return source; }
    // Marks the content changed: Data() will be written anew.
    void Changed() { source.clear(); }

    bool IsEmpty() const;
    QString PlainText() const;
    void SetPlainText(const QString& text);
    void Clear();

    // The Qt document (for layout, painting and editing by the engine). A
    // caller that changes it calls Changed().
    QTextDocument& Document() { return *doc; }
    const QTextDocument& Document() const { return *doc; }

private:
    std::unique_ptr<QTextDocument> doc;
    QByteArray source;
};

class TRtfStorage : public QObject {
    Q_OBJECT
public:
    explicit TRtfStorage(QObject* owner = nullptr);

    TRtfDocument& RtfText() { return document; }
    const TRtfDocument& RtfText() const { return document; }
    void SetRtfText(const TRtfDocument& value) { document.Assign(value); }

private:
    TRtfDocument document;
};

// Replaces `target`'s content (text and formatting) by `from`'s; target's
// own settings (layout, undo) stay. Target counts as unmodified afterwards.
void CopyRichText(const QTextDocument& from, QTextDocument& target);

// A new, empty rich text document in the engine's defaults (font, no undo
// history kept for documents that are not edited).
std::unique_ptr<QTextDocument> NewRichTextDocument();

} // namespace bv
