#pragma once
// Undo and redo of every change to the design, for every kind of object.
//
// The history keeps whole snapshots of the design: the object stream the
// filer writes (the same bytes a save would store for the objects), the
// names the objects had, which of them were selected and the zoom the
// geometry was taken at. A snapshot of a 200-object card is a few tens of
// kilobytes and takes about a millisecond, so no object kind needs undo code
// of its own: whatever the stream stores is undone.
//
// Steps. Every change the design reports marks the history dirty; the
// snapshot is taken once the gesture that made it is over: when no mouse
// button and no key is held down and pending events have run. A drag, a
// rubber-band resize or a held arrow key is therefore one step. Each step is
// named after what changed between the two snapshots ("Move", "Resize",
// "Font", "Text", "Add", "Delete", ...).
#include "platform/Numeric.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace bv {

class TDesignModel;

class TUndoHistory : public QObject {
    Q_OBJECT
public:
    explicit TUndoHistory(TDesignModel& model, QObject* parent = nullptr);
    ~TUndoHistory() override;

    // Steps kept at the most (older ones are dropped).
    static constexpr int MaxSteps = 200;

    // Starts a new history whose only state is the current design (after
    // New, Open, a template): nothing to undo, and this is the saved state.
    void Reset();
    // The current state is what is on disk (after Save and Save As).
    void MarkSaved();
    // True when the current state is the saved one.
    bool AtSavedState() const { return current == saved; }

    // A change was reported; the snapshot follows when the gesture ends.
    void NoteChange();
    // Takes the pending snapshot now (before Undo, Save, and in tests).
    void CommitPending();
    bool Pending() const { return pending; }

    bool CanUndo() const;
    bool CanRedo() const;
    // "Move", "Font", ...: the name of the step Undo or Redo would take back
    // or do again; empty when there is none.
    QString UndoName() const;
    QString RedoName() const;
    void Undo();
    void Redo();

    int StepCount() const { return static_cast<int>(states.size()) - 1; }
    // Bytes held by the snapshots.
    qint64 MemoryUsed() const;

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
    struct State {
        QByteArray stream;
        QStringList names;
        QStringList selected;
        Single zoom = 1.0f;
        QString step; // what led from the previous state to this one
    };
    State capture() const;
    void restore(const State& state);
    void scheduleCommit();
    static QString stepName(const State& before, const State& after);

    TDesignModel& model;
    QList<State> states;
    int current = 0;
    // Index of the state on disk; -1 when it has been dropped or overwritten.
    int saved = 0;
    bool pending = false;
    bool commitQueued = false;
    bool restoring = false;
    int buttonsDown = 0;
    int keysDown = 0;
};

} // namespace bv
