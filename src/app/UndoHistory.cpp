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

TUndoHistory::TUndoHistory(TDesignModel& model, QObject* parent) : QObject(parent), model(model)
{
    qApp->installEventFilter(this);
    states.append(capture());
}

TUndoHistory::~TUndoHistory()
{
    qApp->removeEventFilter(this);
}

void TUndoHistory::Reset()
{
    pending = false;
    states.clear();
    states.append(capture());
    current = 0;
    saved = 0;
    emit HistoryChanged();
}

void TUndoHistory::MarkSaved()
{
    CommitPending();
    saved = current;
}

TUndoHistory::State TUndoHistory::capture() const
{
    State s;
    QList<const TGGraphicControl*> objects;
    for (const TGGraphicControl* o : model.Objects()) {
        objects.append(o);
        s.names.append(o->Name());
    }
    s.stream = TGLabelObjectFiler::WriteStream(objects);
    for (const TGGraphicControl* o : model.Selection())
        s.selected.append(o->Name());
    s.zoom = model.Zoom();
    return s;
}

void TUndoHistory::restore(const State& state)
{
    restoring = true;
    try {
        model.Frame().ClearSelection();
        model.ClearAll();
        QList<TGGraphicControl*> read =
            TGLabelObjectFiler::Default().ReadStream(state.stream, model.Owner(), model.Panel());
        for (int i = 0; i < read.size() && i < state.names.size(); ++i)
            read[i]->SetName(state.names[i]);
        // The stream holds the objects' stored (zoom 1.0) geometry, whatever
        // the zoom was when it was taken: they take the design's zoom from it.
        for (TGGraphicControl* o : read)
            o->SetZoom(model.Zoom());
        model.AttachAll();
        model.Panel().AfterLoad();
        for (const QString& name : state.selected)
            if (TGGraphicControl* o = model.FindObject(name))
                model.Frame().AddToSelection(o);
        model.Panel().update();
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

void TUndoHistory::NoteChange()
{
    if (restoring)
        return;
    pending = true;
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
    State next = capture();
    const State& now = states[current];
    if (next.stream == now.stream && next.names == now.names)
        return; // a change that changed nothing the design stores
    next.step = stepName(now, next);
    while (states.size() > current + 1)
        states.removeLast();
    if (saved > current)
        saved = -1; // the saved state was undone and is now replaced
    states.append(std::move(next));
    ++current;
    while (states.size() > MaxSteps + 1) {
        states.removeFirst();
        --current;
        saved = saved > 0 ? saved - 1 : -1;
    }
    emit HistoryChanged();
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
    if (pending)
        return stepName(states[current], capture());
    return current > 0 ? states[current].step : QString();
}

QString TUndoHistory::RedoName() const
{
    return CanRedo() ? states[current + 1].step : QString();
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

qint64 TUndoHistory::MemoryUsed() const
{
    qint64 total = 0;
    for (const State& s : states) {
        total += s.stream.capacity() + qint64(sizeof(State));
        for (const QString& n : s.names)
            total += n.capacity() * 2;
        for (const QString& n : s.selected)
            total += n.capacity() * 2;
    }
    return total;
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

// Property names of each object by name, with their values as written.
QHash<QString, QHash<QString, QByteArray>> propertiesByObject(const QByteArray& stream, const QStringList& names)
{
    QHash<QString, QHash<QString, QByteArray>> result;
    std::vector<StreamRecord> records;
    try {
        records = ReadObjectStream(stream);
    } catch (const EReadError&) {
        return result;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        QHash<QString, QByteArray> props;
        for (const StreamProperty& p : records[i].properties) {
            const StreamValue& v = p.value;
            QByteArray key = QByteArray::number(v.type) + ':' + QByteArray::number(qlonglong(v.i)) + ':'
                             + v.s.toUtf8() + ':' + v.bytes + ':' + v.members.join(u',').toUtf8() + ':'
                             + QByteArray::number(double(v.f), 'g', 20) + ':'
                             + QByteArray::number(qulonglong(v.items.size() + v.collection.size()));
            props.insert(p.name, key);
        }
        const QString name = int(i) < names.size() ? names[int(i)] : records[i].name;
        result.insert(name, props);
    }
    return result;
}

} // namespace

QString TUndoHistory::stepName(const State& before, const State& after)
{
    if (after.names.size() > before.names.size())
        return QStringLiteral("Add");
    if (after.names.size() < before.names.size())
        return QStringLiteral("Delete");
    if (QSet<QString>(after.names.begin(), after.names.end()) != QSet<QString>(before.names.begin(), before.names.end()))
        return QStringLiteral("Replace");
    if (after.names != before.names)
        return QStringLiteral("Arrange");

    const auto a = propertiesByObject(before.stream, before.names);
    const auto b = propertiesByObject(after.stream, after.names);
    QSet<QString> changed;
    for (auto it = b.constBegin(); it != b.constEnd(); ++it) {
        const QHash<QString, QByteArray> old = a.value(it.key());
        for (auto p = it.value().constBegin(); p != it.value().constEnd(); ++p)
            if (old.value(p.key()) != p.value())
                changed.insert(p.key());
        for (auto p = old.constBegin(); p != old.constEnd(); ++p)
            if (!it.value().contains(p.key()))
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
