#pragma once
// Undo and redo of every change to the document, for every kind of object
// and for the card itself.
//
// The history keeps whole snapshots of the document: each object's record
// of the object stream (the bytes a save would store for it) under the name
// the object had, which objects were selected, and the card's own state
// (background art, layout, orientation) that the document commands hand
// over. No object kind needs undo code of its own: whatever the stream
// stores is undone.
//
// Snapshots share what did not change. A record is kept in pieces, and a
// picture's bytes are a piece of their own that is the object's own copy
// (implicitly shared), so a snapshot of a card holding a large bitmap costs
// the bytes of what changed, not of the bitmap; a record equal to the one
// the previous snapshot holds is that same record. Undo keeps the objects
// whose record did not change and rebuilds only the others.
//
// Steps. Every change the document reports marks the history dirty; the
// snapshot is taken once the gesture that made it is over: when no mouse
// button and no key is held down and pending events have run. A drag, a
// rubber-band resize or a held arrow key is therefore one step. A step is
// named after what changed ("Move", "Resize", "Font", "Text", "Add",
// "Background", ...) only when a name is asked for (the Edit menu opening).
//
// The history holds at most MaxSteps steps and about MemoryLimit() bytes;
// the oldest steps go first.
#include "document/CardLayout.h"
#include "pictures/Metafile.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace bv {

class TDesignModel;

// The card beside its objects, as the document commands keep it.
struct TCardState {
    QString backgroundFile;
    TCardLayout layout;
    bool rotated = false;
    // The background art as the card shows it, put back without reading the
    // file again.
    QImage picture;
    Metafile metafile;

    // The same card settings (the art follows the file and orientation).
    bool SameSettings(const TCardState& o) const
    {
        return backgroundFile == o.backgroundFile && layout == o.layout && rotated == o.rotated;
    }
};

class TUndoHistory : public QObject {
    Q_OBJECT
public:
    explicit TUndoHistory(TDesignModel& model, QObject* parent = nullptr);
    ~TUndoHistory() override;

    // Steps kept at the most (older ones are dropped).
    static constexpr int MaxSteps = 200;
    // Bytes the snapshots may hold before the oldest steps are dropped
    // (the current state and the step before it are always kept).
    static constexpr qint64 DefaultMemoryLimit = qint64(256) * 1024 * 1024;
    qint64 MemoryLimit() const { return memoryLimit; }
    void SetMemoryLimit(qint64 bytes);

    // Where the card's state comes from and goes back to. Without these the
    // history keeps the objects only.
    void SetCardState(std::function<TCardState()> capture, std::function<void(const TCardState&)> restore);

    // Starts a new history whose only state is the current design (after
    // New, Open): nothing to undo, and this is the saved state.
    void Reset();
    // The current state is what is on disk (after Save and Save As).
    void MarkSaved();
    // True when the current state is the saved one: nothing is pending and
    // the objects and card equal those last saved.
    bool AtSavedState() const;

    // A change was reported; the snapshot follows when the gesture ends.
    // `step` names the step when the change is a command of its own
    // ("Background", "Layout", "Template").
    void NoteChange(const QString& step = QString());
    // Takes the pending snapshot now (before Undo, Save, and in tests).
    void CommitPending();
    bool Pending() const { return pending; }

    bool CanUndo() const;
    bool CanRedo() const;
    // "Move", "Font", ...: the name of the step Undo or Redo would take back
    // or do again; empty when there is none. Worked out when asked.
    QString UndoName() const;
    QString RedoName() const;
    void Undo();
    void Redo();

    int StepCount() const { return static_cast<int>(states.size()) - 1; }
    // Bytes held by the snapshots, each shared piece counted once.
    qint64 MemoryUsed() const { return bytesHeld; }

    // Set while a snapshot is being put back: the design's change reports
    // from restoring are not steps.
    bool Restoring() const { return restoring; }

signals:
    // The history moved (a new step, an undo, a redo, a reset).
    void HistoryChanged();
    // After Undo or Redo put a state back; atSaved tells whether it is the
    // state on disk.
    void StateRestored(bool atSaved);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QString name;
        QByteArrayList record; // the object's stream record in pieces
    };
    struct State {
        QList<Entry> objects;
        QStringList selected;
        bool hasCard = false;
        TCardState card;
        QString explicitStep;  // the name a command gave its step
        mutable QString step;  // the name worked out, once asked for
        qint64 overhead = 0;   // bytes of the state itself, beside its pieces
    };
    State capture(const State* previous) const;
    void restore(const State& state);
    void scheduleCommit();
    static bool sameContent(const State& a, const State& b);
    static QString stepName(const State& before, const State& after);
    // Keeps the count of bytes held as states come and go.
    void hold(const State& state);
    void release(const State& state);
    void dropOldest();
    void trim();

    TDesignModel& model;
    std::function<TCardState()> captureCard;
    std::function<void(const TCardState&)> restoreCard;
    QList<State> states;
    int current = 0;
    // What is on disk; compared with the current state by content.
    State saved;
    bool hasSaved = true;
    bool pending = false;
    QString pendingStep;
    bool commitQueued = false;
    bool restoring = false;
    int buttonsDown = 0;
    int keysDown = 0;
    qint64 memoryLimit = DefaultMemoryLimit;
    QHash<const char*, int> pieceUsers;
    qint64 bytesHeld = 0;
};

} // namespace bv
