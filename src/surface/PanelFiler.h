#pragma once
// The stream work behind the design's file, clipboard and clone commands. The
// design model owns the command logic (zoom around saving, selection order,
// the paste guard, deleting what was cut); the object filer implements this
// interface and installs it once, so the model never depends on the stream
// format.
#include <QList>
#include <QString>

namespace bv {

class TDesignModel;
class TGGraphicControl;

class PanelFiler {
public:
    virtual ~PanelFiler() = default;

    // Writes the objects, in the given order, as an object stream to path
    // (creating or replacing it). Failures are raised.
    virtual void WriteObjects(const QList<TGGraphicControl*>& objects, const QString& path) = 0;
    // Reads every record of path into the design (owner: its name registry)
    // and runs their load-completion step; with pasteOffset every object is
    // moved 15 pixels right and down. A missing file reads nothing. Returns the
    // objects read, in reading order. Failures are raised; objects read before
    // the failing one stay in the design.
    virtual QList<TGGraphicControl*> ReadObjects(TDesignModel& design, const QString& path, bool pasteOffset) = 0;
    // Writes the object into memory and reads it straight back into the
    // design; returns the copy (already the design's, load completion done).
    virtual TGGraphicControl* Duplicate(TGGraphicControl& object, TDesignModel& design) = 0;

    // The installed filer; the object filer (TGLabelObjectFiler) when none
    // was installed, so it is never nullptr.
    static PanelFiler* Current();
    // Installs a filer (not owned); nullptr returns to the object filer.
    static void Install(PanelFiler* filer);
};

} // namespace bv
