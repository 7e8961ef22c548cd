#include "surface/ObjectFiler.h"

#include "platform/AtomicFile.h"
#include "platform/Checked.h"
#include "platform/Colors.h"
#include "platform/SafeFile.h"
#include "surface/BasePanel.h"
#include "surface/ClassRegistry.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"
#include "surface/NameRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <limits>
#include <memory>

namespace bv {

namespace {

// --- writing -------------------------------------------------------------------

bool inInt32(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// Colours are 32-bit; a getter may hand over 0x80000005 either way round.
std::int64_t asColour(std::int64_t v)
{
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::uint32_t>::max())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return v;
}

bool isDefault(const PropertyInfo& p, const Value& v)
{
    if (!p.defaultValue)
        return false;
    const Value& d = *p.defaultValue;
    if (p.kind == PropertyKind::Colour && v.type == Value::Int && d.type == Value::Int)
        return asColour(v.i) == asColour(d.i);
    return v == d;
}

void writeBitmapData(ObjectWriter& w, const QByteArray& bmp)
{
    // A 32-bit size, then the bitmap file.
    char size[4];
    auto n = static_cast<std::uint32_t>(bmp.size());
    for (int k = 0; k < 4; ++k)
        size[k] = char((n >> (8 * k)) & 0xFF);
    w.WriteBinary(QByteArrayView(size, 4), bmp);
}

void writeProperty(ObjectWriter& w, const TGGraphicControl& object, const PropertyInfo& p)
{
    if (!p.get)
        return;
    const Value v = p.get(object);
    if (v.isNull() || isDefault(p, v))
        return;
    const QString name = QString::fromLatin1(p.name);
    switch (p.kind) {
    case PropertyKind::Colour:
        if (v.type == Value::Int) {
            const std::int64_t c = asColour(v.i);
            w.WritePropName(name);
            if (auto ident = inInt32(c) ? ColorToIdent(static_cast<TColor>(c)) : std::nullopt)
                w.WriteIdent(*ident);
            else
                w.WriteInteger(c);
            return;
        }
        break;
    case PropertyKind::Cursor:
        if (v.type == Value::Int) {
            w.WritePropName(name);
            if (auto ident = inInt32(v.i) ? CursorToIdent(static_cast<int>(v.i)) : std::nullopt)
                w.WriteIdent(*ident);
            else
                w.WriteInteger(v.i);
            return;
        }
        break;
    case PropertyKind::Float:
        if (v.type == Value::Float && v.f == 0)
            return;
        break;
    case PropertyKind::String:
    case PropertyKind::Char:
    case PropertyKind::Reference:
        if ((v.type == Value::String || v.type == Value::Ident) && v.s.isEmpty())
            return;
        break;
    case PropertyKind::Strings:
        if (v.type == Value::List && v.names.isEmpty())
            return;
        break;
    case PropertyKind::Bitmap:
        if (v.type == Value::Binary) {
            if (v.bytes.isEmpty())
                return;
            w.WritePropName(name);
            writeBitmapData(w, v.bytes);
            return;
        }
        break;
    case PropertyKind::Picture:
    case PropertyKind::Binary:
        if (v.type == Value::Binary && v.bytes.isEmpty())
            return;
        break;
    default:
        break;
    }

    w.WritePropName(name);
    switch (v.type) {
    case Value::Int:
        w.WriteInteger(v.i);
        break;
    case Value::Float:
        w.WriteFloat(v.f);
        break;
    case Value::Bool:
        w.WriteBoolean(v.b);
        break;
    case Value::String:
        if (p.kind == PropertyKind::Char) {
            // A character is a one-character short string.
            w.WriteString(v.s.left(1));
        } else {
            w.WriteString(v.s);
        }
        break;
    case Value::Ident:
        w.WriteIdent(v.s);
        break;
    case Value::Set:
        w.WriteSet(v.names);
        break;
    case Value::List:
        w.WriteStringList(v.names);
        break;
    case Value::Binary:
        w.WriteBinary(v.bytes);
        break;
    case Value::Null:
        break;
    }
}

// --- reading -------------------------------------------------------------------

// Names of event handlers ("OnClick"): the handlers of design objects belong
// to the panel, so a stored handler name is skipped.
bool isEventName(const QString& name)
{
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name[2].isUpper()
        && !name.contains(QLatin1Char('.'));
}

Value integerValue(std::int64_t v)
{
    if (!inInt32(v))
        throw EReadError(streamerr::InvalidValue());
    return Value::integer(v);
}

// The stream value in the form the property's setter takes.
Value convertForKind(PropertyKind kind, const StreamValue& sv)
{
    Value v = ToPropertyValue(sv);
    switch (kind) {
    case PropertyKind::Integer:
        if (v.type == Value::Int)
            return integerValue(v.i);
        break;
    case PropertyKind::Colour:
        if (v.type == Value::Ident) {
            if (auto c = IdentToColor(v.s))
                return Value::integer(*c);
            throw EReadError(streamerr::InvalidValue());
        }
        if (v.type == Value::Int)
            return integerValue(v.i);
        break;
    case PropertyKind::Cursor:
        if (v.type == Value::Ident) {
            if (auto c = IdentToCursor(v.s))
                return Value::integer(*c);
            throw EReadError(streamerr::InvalidValue());
        }
        if (v.type == Value::Int)
            return integerValue(v.i);
        break;
    case PropertyKind::Float:
        if (v.type == Value::Int)
            return Value::real(static_cast<long double>(v.i));
        break;
    case PropertyKind::Bitmap:
        if (v.type == Value::Binary) {
            // A 32-bit size, then that many bytes of bitmap file.
            const QByteArray& b = v.bytes;
            if (b.size() < 4)
                throw EReadError(streamerr::InvalidValue());
            std::uint32_t n = 0;
            for (int k = 3; k >= 0; --k)
                n = (n << 8) | static_cast<unsigned char>(b[k]);
            if (n > static_cast<std::uint32_t>(b.size() - 4))
                throw EReadError(streamerr::InvalidValue());
            return Value::binary(b.mid(4, static_cast<qsizetype>(n)));
        }
        break;
    default:
        break;
    }
    return v;
}

struct Fixup {
    TGGraphicControl* object;
    const PropertyInfo* property;
    QString target; // stored name; empty for nil
};

// Runs the load-completion step of the objects read.
void completeLoading(const QList<TGGraphicControl*>& objects)
{
    for (TGGraphicControl* o : objects) {
        o->SetReading(false);
        o->SetLoading(false);
        o->Loaded();
    }
}

} // namespace

// --- writing --------------------------------------------------------------------

void TGLabelObjectFiler::WriteRecord(ObjectWriter& writer, const TGGraphicControl& object)
{
    writer.WriteSignature();
    writer.WriteStr(object.ClassName());
    writer.WriteStr(object.Name());
    for (const PropertyInfo& p : object.properties().entries())
        writeProperty(writer, object, p);
    writer.WriteListEnd(); // end of properties
    writer.WriteListEnd(); // no children
}

QByteArrayList TGLabelObjectFiler::WriteRecordPieces(const TGGraphicControl& object)
{
    QByteArrayList pieces;
    QByteArray rest;
    ObjectWriter w(rest, pieces);
    WriteRecord(w, object);
    pieces.append(rest);
    return pieces;
}

QByteArray TGLabelObjectFiler::WriteStream(const QList<const TGGraphicControl*>& objects)
{
    QByteArray out;
    out.reserve(64 + objects.size() * 160);
    ObjectWriter w(out);
    w.WriteListBegin();
    for (const TGGraphicControl* o : objects)
        WriteRecord(w, *o);
    w.WriteListEnd();
    return out;
}

void WriteFileReplacing(const QString& path, const QByteArray& bytes)
{
    WriteFileAtomically(QFileInfo(path).absoluteFilePath(), bytes);
}

void TGLabelObjectFiler::WriteDesign(const TDesignModel& design, const QString& path)
{
    QList<const TGGraphicControl*> list;
    for (const TGGraphicControl* o : design.Objects())
        list.append(o);
    WriteFileReplacing(path, WriteStream(list));
}

void TGLabelObjectFiler::WritePanel(const TGBasePanel& panel, const QString& path)
{
    WriteDesign(panel.Model(), path);
}

void TGLabelObjectFiler::WriteSelection(const TGHandle& frame, const QString& path)
{
    if (!frame.HasSelection())
        return;
    QList<const TGGraphicControl*> list;
    for (const TGGraphicControl* o : frame.Selection())
        list.append(o);
    WriteFileReplacing(path, WriteStream(list));
}

void TGLabelObjectFiler::WriteObject(const TGGraphicControl& object, const QString& path)
{
    WriteFileReplacing(path, WriteStream({&object}));
}

void TGLabelObjectFiler::WriteObjects(const QList<TGGraphicControl*>& objects, const QString& path)
{
    QList<const TGGraphicControl*> list;
    for (const TGGraphicControl* o : objects)
        list.append(o);
    WriteFileReplacing(path, WriteStream(list));
}

// --- reading --------------------------------------------------------------------

QList<TGGraphicControl*> TGLabelObjectFiler::ReadStream(QByteArrayView data, NameRegistry& owner, TGBasePanel& panel)
{
    return ReadStream(data, owner, panel.Model());
}

QList<TGGraphicControl*> TGLabelObjectFiler::ReadStream(QByteArrayView data, NameRegistry& owner, TDesignModel& design)
{
    ObjectReader reader(data);
    QList<TGGraphicControl*> read;
    QStringList storedNames;
    QSet<QString> givenNames; // names handed out by this read, letter case folded
    std::vector<Fixup> fixups;

    // Every number below the one last given was taken when it was given and
    // still is, so the search for the next object starts after it.
    int nextNumber = 0;
    auto freeName = [&](const QString& stored) {
        for (int n = nextNumber; n <= MaxComponentNumber; ++n) {
            QString candidate = QStringLiteral("Component%1").arg(n);
            if (!givenNames.contains(candidate.toLower()) && !owner.IsNameTaken(candidate)) {
                nextNumber = n + 1;
                return candidate;
            }
        }
        nextNumber = MaxComponentNumber + 1;
        return stored;
    };

    try {
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            QString className;
            QString storedName;
            reader.ReadRecordHeader(className, storedName);
            if (!IsObjectClassRegistered(className))
                throw EReadError(streamerr::ClassNotFound(className));
            std::unique_ptr<TGGraphicControl> object(CreateObjectOfClass(className));
            if (!object)
                throw EReadError(streamerr::ClassNotFound(className));
            object->SetLoading(true);
            object->SetReading(true);
            // The objects join the design when the whole stream has been read
            // (or a record fails), so the owner's name lookups do not walk the
            // objects of this read again and again; the names given so far are
            // remembered instead.
            const QString name = freeName(storedName);
            object->SetName(name);

            const PropertyTable& table = object->properties();
            const std::vector<PropertyInfo>& entries = table.entries();
            std::size_t expected = 0; // entries come in table order
            while (!reader.EndOfList()) {
                const QString propName = reader.ReadStr();
                const PropertyInfo* info = nullptr;
                for (std::size_t k = expected; k < entries.size(); ++k)
                    if (propName == QLatin1String(entries[k].name)) {
                        info = &entries[k];
                        expected = k + 1;
                        break;
                    }
                if (!info)
                    info = table.find(propName);
                // The property decides before its value is read whether a
                // list may stand there: only string lists are kept, as their
                // strings alone; any other list or collection is refused at
                // its first byte, so a stream of millions of tiny list items
                // costs no more memory than its own size.
                const std::uint8_t next = reader.NextValue();
                if (next == vaList || next == vaCollection) {
                    if (!info || info->kind == PropertyKind::Reference || !info->set || next == vaCollection)
                        throw EReadError(info ? streamerr::InvalidValue() : streamerr::NoProperty());
                    info->set(*object, Value::list(reader.ReadStringList()));
                    continue;
                }
                const StreamValue value = reader.ReadValue();
                if (!info) {
                    if (isEventName(propName) && (value.type == vaIdent || value.type == vaNil))
                        continue;
                    throw EReadError(streamerr::NoProperty());
                }
                if (info->kind == PropertyKind::Reference) {
                    if (value.type != vaIdent && value.type != vaNil)
                        throw EReadError(streamerr::InvalidValue());
                    fixups.push_back({object.get(), info, value.s});
                    continue;
                }
                if (!info->set)
                    throw EReadError(streamerr::NoProperty());
                info->set(*object, convertForKind(info->kind, value));
            }
            reader.ReadListEnd();
            // Design objects have no children.
            reader.ReadListEnd();

            if (pasteOffset)
                object->SetBounds(checked::Add(object->Left(), PasteOffset),
                    checked::Add(object->Top(), PasteOffset), object->Width(), object->Height());
            givenNames.insert(name.toLower());
            storedNames.append(storedName);
            read.append(object.release());
        }
        reader.ReadListEnd();
        for (TGGraphicControl* o : read)
            o->SetParent(&design);

        // References name components by their stored names; objects of this
        // stream answer to their new names now.
        for (const Fixup& f : fixups) {
            QString target = f.target;
            for (qsizetype k = 0; k < storedNames.size(); ++k)
                if (storedNames[k].compare(target, Qt::CaseInsensitive) == 0) {
                    target = read[k]->Name();
                    break;
                }
            if (f.property->set)
                f.property->set(*f.object, target.isEmpty() ? Value::null() : Value::ident(target));
        }
    } catch (...) {
        // The object being read is freed (its unique_ptr); the objects read
        // before it stay in the design, completed.
        for (TGGraphicControl* o : read)
            o->SetParent(&design);
        completeLoading(read);
        throw;
    }
    completeLoading(read);
    return read;
}

QList<TGGraphicControl*> TGLabelObjectFiler::ReadInto(NameRegistry& owner, TGBasePanel& panel, const QString& path)
{
    return ReadInto(owner, panel.Model(), path);
}

QList<TGGraphicControl*> TGLabelObjectFiler::ReadInto(NameRegistry& owner, TDesignModel& design, const QString& path)
{
    QFileInfo info(path);
    if (!info.exists())
        return {};
    const QByteArray data = ReadOutsideFileOrThrow(info.absoluteFilePath(), MaxDesignFileBytes);
    return ReadStream(data, owner, design);
}

QList<TGGraphicControl*> TGLabelObjectFiler::PasteInto(NameRegistry& owner, TGBasePanel& panel, const QString& path)
{
    return PasteInto(owner, panel.Model(), path);
}

QList<TGGraphicControl*> TGLabelObjectFiler::PasteInto(NameRegistry& owner, TDesignModel& design, const QString& path)
{
    const bool was = pasteOffset;
    pasteOffset = true;
    try {
        QList<TGGraphicControl*> read = ReadInto(owner, design, path);
        pasteOffset = was;
        return read;
    } catch (...) {
        pasteOffset = was;
        throw;
    }
}

TGGraphicControl* TGLabelObjectFiler::Duplicate(const TGGraphicControl& object, NameRegistry& owner, TGBasePanel& panel)
{
    return Duplicate(object, owner, panel.Model());
}

TGGraphicControl* TGLabelObjectFiler::Duplicate(const TGGraphicControl& object, NameRegistry& owner, TDesignModel& design)
{
    const QByteArray data = WriteStream({&object});
    const bool was = pasteOffset;
    pasteOffset = false;
    try {
        QList<TGGraphicControl*> read = ReadStream(data, owner, design);
        pasteOffset = was;
        return read.isEmpty() ? nullptr : read.first();
    } catch (...) {
        pasteOffset = was;
        throw;
    }
}

QList<TGGraphicControl*> TGLabelObjectFiler::ReadObjects(TDesignModel& design, const QString& path, bool offset)
{
    return offset ? PasteInto(design.Owner(), design, path) : ReadInto(design.Owner(), design, path);
}

TGGraphicControl* TGLabelObjectFiler::Duplicate(TGGraphicControl& object, TDesignModel& design)
{
    return Duplicate(static_cast<const TGGraphicControl&>(object), design.Owner(), design);
}

TGLabelObjectFiler& TGLabelObjectFiler::Default()
{
    static TGLabelObjectFiler filer;
    return filer;
}

} // namespace bv
