#include "app/UndoHistory.h"

#include "surface/BasePanel.h"
#include "surface/DesignModel.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

namespace bv {

namespace {

// Two records in pieces hold the same bytes. Pieces shared between them are
// the same without looking at their bytes (a picture of many megabytes).
bool sameRecord(const QByteArrayList& a, const QByteArrayList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QByteArray& x = a[i];
        const QByteArray& y = b[i];
        if (x.size() != y.size())
            return false;
        if (x.constData() != y.constData() && x != y)
            return false;
    }
    return true;
}

// The stream of one record, as the reader takes it.
QByteArray streamOf(const QByteArrayList& record)
{
    QByteArray out;
    qsizetype size = 2;
    for (const QByteArray& piece : record)
        size += piece.size();
    out.reserve(size);
    ObjectWriter w(out);
    w.WriteListBegin();
    for (const QByteArray& piece : record)
        out.append(piece);
    w.WriteListEnd();
    return out;
}

} // namespace

TUndoHistory::TUndoHistory(TDesignModel& model, QObject* parent) : QObject(parent), model(model)
{
    qApp->installEventFilter(this);
    states.append(capture(nullptr));
    hold(states.constFirst());
    saved = states.constFirst();
    hold(saved);
}

TUndoHistory::~TUndoHistory()
{
    qApp->removeEventFilter(this);
}

void TUndoHistory::SetCardState(std::function<TCardState()> capture, std::function<void(const TCardState&)> restore)
{
    captureCard = std::move(capture);
    restoreCard = std::move(restore);
    Reset();
}

void TUndoHistory::SetMemoryLimit(qint64 bytes)
{
    memoryLimit = bytes;
    trim();
}

void TUndoHistory::hold(const State& state)
{
    bytesHeld += state.overhead;
    for (const Entry& e : state.objects)
        for (const QByteArray& piece : e.record)
            if (!piece.isEmpty() && pieceUsers[piece.constData()]++ == 0)
                bytesHeld += piece.size();
    // The background art is the card's own; a snapshot holds it only while
    // the card shows another.
    if (state.hasCard && !state.card.picture.isNull()
        && pieceUsers[reinterpret_cast<const char*>(state.card.picture.constBits())]++ == 0)
        bytesHeld += state.card.picture.sizeInBytes();
}

void TUndoHistory::release(const State& state)
{
    bytesHeld -= state.overhead;
    auto drop = [this](const char* key, qint64 size) {
        auto it = pieceUsers.find(key);
        if (it == pieceUsers.end())
            return;
        if (--it.value() == 0) {
            pieceUsers.erase(it);
            bytesHeld -= size;
        }
    };
    for (const Entry& e : state.objects)
        for (const QByteArray& piece : e.record)
            if (!piece.isEmpty())
                drop(piece.constData(), piece.size());
    if (state.hasCard && !state.card.picture.isNull())
        drop(reinterpret_cast<const char*>(state.card.picture.constBits()), state.card.picture.sizeInBytes());
}

void TUndoHistory::Reset()
{
    pending = false;
    pendingStep.clear();
    for (const State& s : states)
        release(s);
    states.clear();
    states.append(capture(nullptr));
    hold(states.constFirst());
    current = 0;
    release(saved);
    saved = states.constFirst();
    hold(saved);
    hasSaved = true;
    emit HistoryChanged();
}

void TUndoHistory::MarkSaved()
{
    CommitPending();
    // What is saved is the card as it is now, also where its settings
    // changed without a report (those read at start-up). The objects are not
    // written again here: a label not yet painted fits itself to its font
    // when asked for its record, which is a change of its own.
    if (captureCard && states[current].hasCard) {
        TCardState card = captureCard();
        if (!card.SameSettings(states[current].card)) {
            release(states[current]);
            states[current].card = std::move(card);
            hold(states[current]);
        }
    }
    release(saved);
    saved = states[current];
    hold(saved);
    hasSaved = true;
}

bool TUndoHistory::AtSavedState() const
{
    return !pending && hasSaved && sameContent(states[current], saved);
}

bool TUndoHistory::sameContent(const State& a, const State& b)
{
    if (a.objects.size() != b.objects.size() || a.hasCard != b.hasCard)
        return false;
    if (a.hasCard && !a.card.SameSettings(b.card))
        return false;
    for (qsizetype i = 0; i < a.objects.size(); ++i)
        if (a.objects[i].name != b.objects[i].name || !sameRecord(a.objects[i].record, b.objects[i].record))
            return false;
    return true;
}

TUndoHistory::State TUndoHistory::capture(const State* previous) const
{
    // Records of the previous snapshot by object name: an object whose
    // record did not change shares it.
    QHash<QString, const QByteArrayList*> before;
    if (previous)
        for (const Entry& e : previous->objects)
            before.insert(e.name, &e.record);
    State s;
    s.objects.reserve(model.Objects().size());
    s.overhead = qint64(sizeof(State));
    for (const TGGraphicControl* o : model.Objects()) {
        Entry e{ o->Name(), TGLabelObjectFiler::WriteRecordPieces(*o) };
        if (const QByteArrayList* old = before.value(e.name); old && sameRecord(*old, e.record))
            e.record = *old;
        s.overhead += qint64(sizeof(Entry)) + e.name.capacity() * 2 + e.record.size() * qint64(sizeof(QByteArray));
        s.objects.append(std::move(e));
    }
    for (const TGGraphicControl* o : model.Selection()) {
        s.selected.append(o->Name());
        s.overhead += o->Name().size() * 2;
    }
    if (captureCard) {
        s.hasCard = true;
        s.card = captureCard();
        if (previous && previous->hasCard && previous->card.SameSettings(s.card)) {
            // The same art: share the previous snapshot's (a reloaded file
            // is a new image of the same pixels).
            s.card.picture = previous->card.picture;
            s.card.metafile = previous->card.metafile;
        }
    }
    return s;
}

void TUndoHistory::restore(const State& state)
{
    restoring = true;
    try {
        model.Frame().ClearSelection();
        if (state.hasCard && restoreCard)
            restoreCard(state.card);
        // Objects whose record is the one the state holds stay as they are;
        // the others are read again from the state.
        const State live = capture(&states[current]);
        const QList<TGGraphicControl*> objects = model.Objects();
        QList<TGGraphicControl*> order;
        QSet<TGGraphicControl*> used;
        for (const Entry& e : state.objects) {
            TGGraphicControl* found = nullptr;
            for (int i = 0; i < objects.size() && i < live.objects.size(); ++i) {
                if (!used.contains(objects[i]) && live.objects[i].name == e.name
                    && sameRecord(live.objects[i].record, e.record)) {
                    found = objects[i];
                    break;
                }
            }
            if (found)
                used.insert(found);
            order.append(found);
        }
        for (TGGraphicControl* o : objects)
            if (!used.contains(o))
                delete o;
        QList<TGGraphicControl*> read;
        for (int i = 0; i < state.objects.size(); ++i) {
            if (order[i])
                continue;
            const QList<TGGraphicControl*> one =
                TGLabelObjectFiler::Default().ReadStream(streamOf(state.objects[i].record), model.Owner(), model);
            for (TGGraphicControl* o : one) {
                o->SetName(state.objects[i].name);
                // The stream holds the stored (zoom 1.0) geometry: the object
                // takes the design's zoom from it.
                o->SetZoom(model.Zoom());
                read.append(o);
            }
            order[i] = one.isEmpty() ? nullptr : one.constFirst();
        }
        order.removeAll(nullptr);
        model.SetObjectOrder(order);
        model.AttachAll();
        for (const QString& name : state.selected)
            if (TGGraphicControl* o = model.FindObject(name))
                model.Frame().AddToSelection(o);
        model.RepaintCard();
        // Let the refit requests and change reports of the rebuilt objects run
        // while restoring is still set, so they do not count as a new step.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } catch (...) {
        restoring = false;
        pending = false;
        throw;
    }
    restoring = false;
    pending = false;
}

void TUndoHistory::NoteChange(const QString& step)
{
    if (restoring)
        return;
    pending = true;
    if (!step.isEmpty())
        pendingStep = step;
    scheduleCommit();
}

void TUndoHistory::scheduleCommit()
{
    if (commitQueued)
        return;
    commitQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            commitQueued = false;
            // A gesture still under way ends with a release, which commits.
            if (buttonsDown == 0 && keysDown == 0)
                CommitPending();
        },
        Qt::QueuedConnection);
}

void TUndoHistory::CommitPending()
{
    if (!pending || restoring)
        return;
    pending = false;
    State next = capture(&states[current]);
    next.explicitStep = pendingStep;
    pendingStep.clear();
    if (sameContent(next, states[current])) {
        emit HistoryChanged(); // the change mark may follow
        return; // a change that changed nothing the document stores
    }
    while (states.size() > current + 1) {
        release(states.constLast());
        states.removeLast();
    }
    hold(next);
    states.append(std::move(next));
    ++current;
    trim();
    emit HistoryChanged();
}

void TUndoHistory::dropOldest()
{
    release(states.constFirst());
    states.removeFirst();
    --current;
}

void TUndoHistory::trim()
{
    while (states.size() > MaxSteps + 1 && current > 0)
        dropOldest();
    while (bytesHeld > memoryLimit && current > 1)
        dropOldest();
}

bool TUndoHistory::CanUndo() const
{
    return current > 0 || pending;
}

bool TUndoHistory::CanRedo() const
{
    return !pending && current + 1 < states.size();
}

QString TUndoHistory::UndoName() const
{
    if (pending) {
        if (!pendingStep.isEmpty())
            return pendingStep;
        const State now = capture(&states[current]);
        return stepName(states[current], now);
    }
    if (current == 0)
        return QString();
    const State& s = states[current];
    if (!s.explicitStep.isEmpty())
        return s.explicitStep;
    if (s.step.isEmpty())
        s.step = stepName(states[current - 1], s);
    return s.step;
}

QString TUndoHistory::RedoName() const
{
    if (!CanRedo())
        return QString();
    const State& s = states[current + 1];
    if (!s.explicitStep.isEmpty())
        return s.explicitStep;
    if (s.step.isEmpty())
        s.step = stepName(states[current], s);
    return s.step;
}

void TUndoHistory::Undo()
{
    CommitPending();
    if (current == 0)
        return;
    --current;
    restore(states[current]);
    emit HistoryChanged();
    emit StateRestored(AtSavedState());
}

void TUndoHistory::Redo()
{
    CommitPending();
    if (current + 1 >= states.size())
        return;
    ++current;
    restore(states[current]);
    emit HistoryChanged();
    emit StateRestored(AtSavedState());
}

bool TUndoHistory::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Events reach the filter once per widget they travel through; only
        // the button state matters.
        buttonsDown = int(static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton);
        break;
    case QEvent::MouseButtonRelease:
        buttonsDown = int(static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton);
        if (pending && buttonsDown == 0)
            scheduleCommit();
        break;
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
            keysDown = 1;
        break;
    case QEvent::KeyRelease:
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            keysDown = 0;
            if (pending)
                scheduleCommit();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// --- naming the steps ------------------------------------------------------------------

namespace {

// Property names of one record with their values as written.
QHash<QString, QByteArray> propertiesOf(const QByteArrayList& record)
{
    QHash<QString, QByteArray> props;
    std::vector<StreamRecord> records;
    try {
        records = ReadObjectStream(streamOf(record));
    } catch (const EReadError&) {
        return props;
    }
    if (records.empty())
        return props;
    for (const StreamProperty& p : records.front().properties) {
        const StreamValue& v = p.value;
        QByteArray key = QByteArray::number(v.type) + ':' + QByteArray::number(qlonglong(v.i)) + ':'
                         + v.s.toUtf8() + ':' + v.bytes + ':' + v.members.join(u',').toUtf8() + ':'
                         + QByteArray::number(double(v.f), 'g', 20) + ':'
                         + QByteArray::number(qulonglong(v.items.size() + v.collection.size()));
        props.insert(p.name, key);
    }
    return props;
}

} // namespace

QString TUndoHistory::stepName(const State& before, const State& after)
{
    if (before.hasCard && after.hasCard && !before.card.SameSettings(after.card)) {
        if (before.card.backgroundFile != after.card.backgroundFile)
            return QStringLiteral("Background");
        return QStringLiteral("Layout");
    }
    QStringList beforeNames;
    QStringList afterNames;
    for (const Entry& e : before.objects)
        beforeNames.append(e.name);
    for (const Entry& e : after.objects)
        afterNames.append(e.name);
    if (afterNames.size() > beforeNames.size())
        return QStringLiteral("Add");
    if (afterNames.size() < beforeNames.size())
        return QStringLiteral("Delete");
    if (QSet<QString>(afterNames.begin(), afterNames.end()) != QSet<QString>(beforeNames.begin(), beforeNames.end()))
        return QStringLiteral("Replace");
    if (afterNames != beforeNames)
        return QStringLiteral("Arrange");

    // Only the objects whose record changed are read.
    QSet<QString> changed;
    for (qsizetype i = 0; i < after.objects.size(); ++i) {
        if (sameRecord(before.objects[i].record, after.objects[i].record))
            continue;
        const QHash<QString, QByteArray> old = propertiesOf(before.objects[i].record);
        const QHash<QString, QByteArray> now = propertiesOf(after.objects[i].record);
        for (auto p = now.constBegin(); p != now.constEnd(); ++p)
            if (old.value(p.key()) != p.value())
                changed.insert(p.key());
        for (auto p = old.constBegin(); p != old.constEnd(); ++p)
            if (!now.contains(p.key()))
                changed.insert(p.key());
    }
    if (changed.isEmpty())
        return QStringLiteral("Change");
    const QSet<QString> position{ QStringLiteral("Left"), QStringLiteral("Top") };
    const QSet<QString> bounds{ QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"),
                                QStringLiteral("Height") };
    if (position.contains(changed))
        return QStringLiteral("Move");
    if (bounds.contains(changed))
        return QStringLiteral("Resize");
    bool allFont = true;
    for (const QString& p : changed)
        allFont = allFont && p.startsWith(QLatin1String("Font."));
    if (allFont)
        return QStringLiteral("Font");
    if (changed.contains(QStringLiteral("Caption")) || changed.contains(QStringLiteral("Lines.Strings"))
        || changed.contains(QStringLiteral("RTFText.Data")))
        return QStringLiteral("Text");
    if (changed.contains(QStringLiteral("Locked")))
        return QStringLiteral("Lock");
    if (changed.contains(QStringLiteral("Unselectable")))
        return QStringLiteral("Selectable");
    bool colour = true;
    for (const QString& p : changed)
        colour = colour && p.contains(QLatin1String("Color"), Qt::CaseInsensitive);
    if (colour)
        return QStringLiteral("Colour");
    return QStringLiteral("Change");
}

} // namespace bv
