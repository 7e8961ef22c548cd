#pragma once
// TGLabelObjectFiler: writes design objects as component records of the
// object stream and reads them back into a panel. It is generic over the
// property tables of the object classes (Properties.h); the only class names
// it knows are those of the class registry, to create objects on reading.
//
// The same format serves design files (.QRD), the panel's clipboard file and
// the in-memory copies made by Clone.
#include "surface/ObjectStream.h"
#include "surface/PanelFiler.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace bv {

class NameRegistry;
class TDesignModel;
class TGBasePanel;
class TGGraphicControl;
class TGHandle;

class TGLabelObjectFiler : public PanelFiler {
public:
    // Objects read are moved this far right and down when pasted.
    static constexpr int PasteOffset = 15;
    // Highest number tried for "Component"+n names of objects read.
    static constexpr int MaxComponentNumber = 1000;

    // --- writing files ----------------------------------------------------------
    // Each creates or replaces `path`. The stream is written to a new file in
    // the same folder, which then replaces the target in one step, so a failed
    // write leaves an existing file as it was. Failures raise EWriteError.
    // Every object of the design, bottom of the z-order first.
    void WriteDesign(const TDesignModel& design, const QString& path);
    void WritePanel(const TGBasePanel& panel, const QString& path);
    // The selected objects in selection order; nothing when none is selected.
    void WriteSelection(const TGHandle& frame, const QString& path);
    void WriteObject(const TGGraphicControl& object, const QString& path);

    // --- reading ------------------------------------------------------------------
    // Reads every record of `path` into `design`; new objects are named
    // "Component"+n, n the lowest number 0..1000 that `owner` does not use yet.
    // A missing file reads nothing. Returns the objects read, in order, after
    // their load-completion step. On a failure the object being read is freed,
    // the objects read before it stay in the design, and EReadError propagates.
    // The forms taking a panel read into the design it shows.
    QList<TGGraphicControl*> ReadInto(NameRegistry& owner, TDesignModel& design, const QString& path);
    QList<TGGraphicControl*> ReadInto(NameRegistry& owner, TGBasePanel& panel, const QString& path);
    // As ReadInto, with every object moved PasteOffset pixels right and down.
    QList<TGGraphicControl*> PasteInto(NameRegistry& owner, TDesignModel& design, const QString& path);
    QList<TGGraphicControl*> PasteInto(NameRegistry& owner, TGBasePanel& panel, const QString& path);
    // Writes the object into memory and reads it straight back into `design`
    // (no offset); returns the copy.
    TGGraphicControl* Duplicate(const TGGraphicControl& object, NameRegistry& owner, TDesignModel& design);
    TGGraphicControl* Duplicate(const TGGraphicControl& object, NameRegistry& owner, TGBasePanel& panel);

    // --- the byte level (used by the above, the batch tool and the tests) -------
    // A complete stream: list start, one record per object, list end.
    static QByteArray WriteStream(const QList<const TGGraphicControl*>& objects);
    // One record: signature, class, name, properties, end of properties, end
    // of children.
    static void WriteRecord(ObjectWriter& writer, const TGGraphicControl& object);
    // The same record in pieces: large binary values (pictures) are the
    // object's own bytes, shared rather than copied (see ObjectWriter).
    static QByteArrayList WriteRecordPieces(const TGGraphicControl& object);
    // Reads a complete stream into `design` as ReadInto does.
    QList<TGGraphicControl*> ReadStream(QByteArrayView data, NameRegistry& owner, TDesignModel& design);
    QList<TGGraphicControl*> ReadStream(QByteArrayView data, NameRegistry& owner, TGBasePanel& panel);

    // The paste-offset state: while on, every object read is moved.
    bool PasteOffsetOn() const { return pasteOffset; }
    void SetPasteOffset(bool on) { pasteOffset = on; }

    // --- PanelFiler ----------------------------------------------------------------
    void WriteObjects(const QList<TGGraphicControl*>& objects, const QString& path) override;
    QList<TGGraphicControl*> ReadObjects(TDesignModel& design, const QString& path, bool pasteOffset) override;
    TGGraphicControl* Duplicate(TGGraphicControl& object, TDesignModel& design) override;

    // The filer the designs use (PanelFiler::Current() unless another was
    // installed).
    static TGLabelObjectFiler& Default();

private:
    bool pasteOffset = false;
};

// Writes `bytes` to `path` through a new file in the same folder that then
// replaces the target; EWriteError "Unable to write to <path>" on failure.
void WriteFileReplacing(const QString& path, const QByteArray& bytes);

} // namespace bv
