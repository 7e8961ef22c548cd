#pragma once
// The base of every design object on the card. An object is not a widget: the
// design model (TDesignModel) owns it in its z-ordered list; a panel that
// shows the model paints it, hit-tests it and routes its mouse events. What the base adds is what every object
// shares: the persisted Locked/Unselectable flags, the zoom factor, the
// redirectable drawing canvas, the change/refit contract with the panel and the
// object's own context menu.
#include "platform/Numeric.h"
#include "surface/Drawing.h"
#include "surface/PersonalInfo.h"
#include "surface/Properties.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPainter;

namespace bv {

class TDesignModel;
class TGBasePanel;
class TPageEngine;

class TGGraphicControl : public QObject {
    Q_OBJECT
public:
    TGGraphicControl();
    ~TGGraphicControl() override;

    // Stream identity: the class name the object stream writes, which is the
    // meta-object's class name without its namespace. Design object classes
    // are Q_OBJECT and need nothing more; only a test double without a
    // meta-object of its own overrides these.
    virtual QString ClassName() const;
    // True when this object's class is `className` or derives from it
    // (letter case ignored, as the stream reader compares names).
    virtual bool InheritsClass(const QString& className) const;

    // --- what a kind is, for the code that treats kinds differently -----------
    // An effect object (gradient and texture fills drawn in device pixels):
    // the print job tells the user such a design is slow to print.
    virtual bool IsEffectObject() const { return false; }
    // Text whose font follows the card's text font when every font is changed.
    virtual bool TakesCardFontName() const { return false; }
    // The texts as typed that may hold merge fields ("{Name}"); none for
    // kinds without text.
    virtual QStringList MergeTexts() const { return {}; }
    // Published properties, ancestors first, in stream order.
    static const PropertyTable& ClassProperties();
    virtual const PropertyTable& properties() const { return ClassProperties(); }

    // --- component state ---------------------------------------------------
    const QString& Name() const { return name; }
    void SetName(const QString& value) { name = value; }
    int Tag() const { return tag; }
    void SetTag(int value) { tag = value; }
    int Cursor() const { return cursor; }
    void SetCursor(int value) { cursor = value; }
    const QString& Hint() const { return hint; }
    void SetHint(const QString& value) { hint = value; }
    // While loading or reading from a stream, bounds changes and the flag
    // setters do not notify the panel.
    bool IsLoading() const { return loading; }
    bool IsReading() const { return reading; }
    void SetLoading(bool value) { loading = value; }
    void SetReading(bool value) { reading = value; }

    // The design this object belongs to, or nullptr. Setting it appends the
    // object at the top of the design's z-order (and removes it from a
    // previous design).
    TDesignModel* Parent() const { return model; }
    void SetParent(TDesignModel* newParent);
    // The design a panel shows.
    void SetParent(TGBasePanel* panel);

    // --- geometry (card pixels at the current zoom) --------------------------
    // The object keeps two rectangles: its geometry at zoom 1.0 (the stored
    // geometry: what the design file, the clipboard, clones and printing use)
    // and the panel pixels at the current zoom, which are always derived from
    // it by SetZoom, so zooming in and out any number of times never moves or
    // resizes the design. An edit in pixels (SetBounds) converts back to the
    // stored geometry coordinate by coordinate, and only for what it changed:
    // a move keeps the stored size, a resize by one edge keeps the other
    // edge, and a coordinate the edit leaves alone keeps its stored value. A
    // changed coordinate becomes Round(pixels / Zoom); at zoom 1.0 both
    // rectangles are always the same.
    int Left() const { return left; }
    int Top() const { return top; }
    int Width() const { return width; }
    int Height() const { return height; }
    TRect BoundsRect() const { return TRect::FromBounds(left, top, width, height); }
    void SetLeft(int v) { SetBounds(v, top, width, height); }
    void SetTop(int v) { SetBounds(left, v, width, height); }
    void SetWidth(int v) { SetBounds(left, top, v, height); }
    void SetHeight(int v) { SetBounds(left, top, width, v); }
    // Moves and resizes in one step; reports the change (BoundsChanged) unless
    // loading or reading.
    void SetBounds(int l, int t, int w, int h);
    // The geometry at zoom 1.0 (see above).
    int StoredLeft() const { return stored.Left; }
    int StoredTop() const { return stored.Top; }
    int StoredWidth() const { return stored.Width; }
    int StoredHeight() const { return stored.Height; }
    TRect StoredBounds() const { return TRect::FromBounds(stored.Left, stored.Top, stored.Width, stored.Height); }
    // Sets the geometry at zoom 1.0; the pixels follow at the current zoom.
    void SetStoredBounds(int l, int t, int w, int h);
    bool Visible() const { return visible; }
    void SetVisible(bool value);

    const TFont& Font() const { return font; }
    // Stores the font; a different font signals a design change.
    void SetFont(const TFont& value);
    void SetFontName(const QString& value);

    // --- persisted flags ------------------------------------------------------
    bool Locked() const { return locked; }
    void SetLocked(bool value);
    bool Unselectable() const { return unselectable; }
    void SetUnselectable(bool value);

    // --- zoom -----------------------------------------------------------------
    Single Zoom() const { return zoom; }
    // Derives position and size at the new factor from the stored geometry
    // (Round(stored × value), halves to even), then reports.
    void SetZoom(Single value);
    // Takes a zoom factor without rescaling (the panel's attach step for an
    // object made at run time: its pixel bounds are already at that factor,
    // and its stored geometry is converted back from them).
    void AssignZoom(Single value);

    // --- painting ---------------------------------------------------------------
    // The painter that Paint draws on, with (0, 0) at the object's top-left
    // corner. The object's own canvas during the panel's paint; another
    // painter only while PaintAt runs; nullptr otherwise.
    QPainter* DrawCanvas() const { return drawCanvas; }
    bool DrawingOnOwnCanvas() const { return drawCanvas != nullptr && drawCanvas == ownCanvas; }
    // Paints the object onto `canvas` with its top-left corner at (x, y).
    void PaintAt(QPainter& canvas, int x, int y);
    // Paints on DrawCanvas; the base draws only the selection squares.
    virtual void Paint();
    // The squares that mark a selected object, on the panel's canvas.
    void DrawSelectionSquares();
    // Asks the panel to repaint the object's area.
    void Invalidate();

    // --- contract with the panel -------------------------------------------------
    void NotifyChanged();
    void RequestRefit();
    const TRect& LastBounds() const { return lastBounds; }
    virtual void BoundsChanged();
    // Context-menu on-popup: set check marks from the current properties.
    // Overrides that touch items call ContextMenu() first, so that a call
    // before the menu exists builds it rather than doing nothing.
    virtual void UpdateMenuChecks() {}
    virtual void ApplyFont(const TFont& font) { Q_UNUSED(font); }
    // The user's personal information changed: kinds whose content is built
    // from it build it again.
    virtual void PersonalInfoChanged(const TPersonalInfo& info) { Q_UNUSED(info); }
    virtual void FontApplied() {}
    virtual void PrepareToSave() {}
    // The object's own drawing at (0, 0) in its pixel size at the current
    // zoom, without selection marks: one drawing serves the screen, picture
    // export and paper.
    virtual void DrawTo(QPainter& canvas) { Q_UNUSED(canvas); }
    // Draws the object through the page engine for one card whose top-left
    // corner is at (left, top) inches on the page. The base has the engine
    // run DrawTo mapped onto the object's rectangle in inches (at the screen's
    // pixels per inch), so text is laid out at the device's resolution; kinds
    // that print in device pixels of their own override it.
    virtual void PrintTo(TPageEngine& report, double left, double top);
    // The load-completion step. Run by the stream reader and explicitly by
    // every path that creates objects at run time. It does not build the
    // context menu (a design of a thousand objects would spend most of its
    // reading time on menus nobody opens); it records the state the menu is
    // built from, and ContextMenu() builds it on first use.
    virtual void Loaded();

    // Double-click on the selected object runs this instead of the menu.
    std::function<void(TGBasePanel*)> OnEditRequest;

    // --- context menu ----------------------------------------------------------
    // The object's own menu, built here on first use (running the
    // load-completion step first if nothing has run it yet). Asking for any of
    // the menu's items, here or in a subclass, builds it as well.
    QMenu* ContextMenu();
    // True once the menu exists; asking changes nothing.
    bool HasContextMenu() const { return contextMenu != nullptr; }
    QAction* LockedMenuItem();
    void Clone();
    void CenterVertically();
    void CenterHorizontally();
    void ToggleLocked();
    void MakeUnselectable();

    // Called by the panel when it attaches the object (mouse routing).
    bool Attached() const { return attached; }
    void SetAttached(bool value) { attached = value; }
    // Set by the panel around painting: the object's own canvas.
    void SetOwnCanvas(QPainter* canvas)
    {
        ownCanvas = canvas;
        drawCanvas = canvas;
    }

    // Size changes an object makes to fit its own content at the current
    // zoom (a label keeping its height to its zoomed font) are not edits:
    // while a FitScope is open and the zoom is not 1.0 they change only the
    // pixels, leave the stored geometry alone and signal no design change.
    // Painting (the panel's and PaintAt) runs inside one, so every kind that
    // fits itself while it paints inherits this.
    class FitScope {
    public:
        explicit FitScope(TGGraphicControl& o) : object(o) { ++object.fitDepth; }
        ~FitScope() { --object.fitDepth; }
        FitScope(const FitScope&) = delete;
        FitScope& operator=(const FitScope&) = delete;

    private:
        TGGraphicControl& object;
    };
    bool Fitting() const { return fitDepth > 0 && zoom != 1.0f; }

protected:
    // Builds the base items; subclasses append theirs after the base. Runs
    // once, when the menu is first needed.
    virtual void BuildContextMenu(QMenu& menu);
    // Runs once, in the load-completion step: records what the menu is built
    // from that is decided at load completion rather than when it pops up
    // (which items exist, check marks that are set only at building and by
    // the commands). The base records the "Locked" check mark. Subclasses
    // call the base first.
    virtual void CaptureMenuState();
    // Helper for subclasses: a menu item that runs `action` on this object.
    QAction* AddMenuItem(QMenu& menu, const QString& caption, std::function<void()> action);
    // Called after the font changed (not while loading or reading).
    virtual void FontChanged();

private:
    // Keeps the "Locked" check mark in step with Locked, menu built or not.
    void setLockedCheck();
    // Puts new pixel bounds in place (repainting both areas) without touching
    // the stored geometry.
    void placePixels(int l, int t, int w, int h);
    // The stored geometry after an edit in pixels (the rule above).
    TBounds storedAfterEdit(int l, int t, int w, int h) const;

    QString name;
    int tag = 0;
    int cursor = 0;
    QString hint;
    bool loading = false;
    bool reading = false;
    TDesignModel* model = nullptr;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // The geometry at zoom 1.0.
    TBounds stored;
    int fitDepth = 0;
    // A fit is putting its pixels in place: BoundsChanged records them
    // without signalling a design change.
    bool placingFit = false;
    bool visible = true;
    TFont font;

    QAction* lockedMenuItem = nullptr;
    // The "Locked" check mark, kept also while the menu does not exist yet.
    bool lockedChecked = false;
    // The load-completion step has run: the menu is due, built on first use.
    bool menuDue = false;
    QPainter* drawCanvas = nullptr;
    QPainter* ownCanvas = nullptr;
    bool boundsGuard = false;
    Single zoom = 1.0f;
    std::unique_ptr<QMenu> contextMenu;
    TRect lastBounds;
    bool locked = false;
    bool unselectable = false;
    bool attached = false;
};

} // namespace bv
