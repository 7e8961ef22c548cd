#pragma once
// The stream work behind the panel's file, clipboard and clone commands. The
// panel owns the command logic (zoom around saving, selection order, the paste
// guard, deleting what was cut); the object filer implements this interface
// and installs it once, so the panel never depends on the stream format.
#include <QList>
#include <QString>

namespace bv {

class TGBasePanel;
class TGGraphicControl;

class PanelFiler {
public:
    virtual ~PanelFiler() = default;

    // Writes the objects, in the given order, as an object stream to path
    // (creating or replacing it). Failures are raised.
    virtual void WriteObjects(const QList<TGGraphicControl*>& objects, const QString& path) = 0;
    // Reads every record of path into panel (owner: the panel's name registry)
    // and runs their load-completion step; with pasteOffset every object is
    // moved 15 pixels right and down. A missing file reads nothing. Returns the
    // objects read, in reading order. Failures are raised; objects read before
    // the failing one stay in the panel.
    virtual QList<TGGraphicControl*> ReadObjects(TGBasePanel& panel, const QString& path, bool pasteOffset) = 0;
    // Writes the object into memory and reads it straight back into panel;
    // returns the copy (already a child of panel, load completion done).
    virtual TGGraphicControl* Duplicate(TGGraphicControl& object, TGBasePanel& panel) = 0;

    // The installed filer; the object filer (TGLabelObjectFiler) when none
    // was installed, so it is never nullptr.
    static PanelFiler* Current();
    // Installs a filer (not owned); nullptr returns to the object filer.
    static void Install(PanelFiler* filer);
};

} // namespace bv
