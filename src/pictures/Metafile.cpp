#include "pictures/Metafile.h"
#include "platform/SafeFile.h"

#include "pictures/EmfPlayer.h"
#include "pictures/RecordKinds.h"
#include "pictures/WmfPlayer.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Numeric.h"

#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QtEndian>
#include <algorithm>

namespace bv {

namespace {

std::uint32_t readU32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

std::int16_t readI16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    return qFromLittleEndian<std::int16_t>(b.constData() + at);
}

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t EmfSignature = 0x464D4520u; // " EMF"

} // namespace

QByteArray Metafile::PlaceableHeader(int left, int top, int right, int bottom, int unitsPerInch)
{
    QByteArray h(22, '\0');
    auto put16 = [&](int at, int v) { qToLittleEndian<std::uint16_t>(std::uint16_t(v), h.data() + at); };
    qToLittleEndian<std::uint32_t>(PlaceableKey, h.data());
    put16(6, left);
    put16(8, top);
    put16(10, right);
    put16(12, bottom);
    put16(14, unitsPerInch);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<std::uint16_t>(h.constData() + 2 * i);
    put16(20, sum);
    return h;
}

void Metafile::parse()
{
    if (bytes.size() > MaxBytes)
        throw EConvertError(QStringLiteral("Metafile is too large"));
    enhanced = false;
    placeable = false;
    if (bytes.size() >= 88 && readU32(bytes, 0) == 1 && readU32(bytes, 40) == EmfSignature) {
        enhanced = true;
        const auto v = [&](int at) { return static_cast<std::int32_t>(readU32(bytes, at)); };
        bounds = QRect(QPoint(v(24), v(28)), QPoint(v(32) - 1, v(36) - 1));
        inch = 2540;
        records = static_cast<int>(std::min<std::uint32_t>(readU32(bytes, 52), MaxRecords));
        return;
    }
    qsizetype start = 0;
    if (bytes.size() >= 22 + 18 && readU32(bytes, 0) == PlaceableKey) {
        placeable = true;
        start = 22;
        bounds = QRect(QPoint(readI16(bytes, 6), readI16(bytes, 8)), QPoint(readI16(bytes, 10) - 1, readI16(bytes, 12) - 1));
        inch = static_cast<std::uint16_t>(readI16(bytes, 14));
        if (inch == 0)
            inch = 2540;
    }
    const int type = readI16(bytes, start);
    const int header = readI16(bytes, start + 2);
    if (bytes.size() < start + 18 || (type != 1 && type != 2) || header != 9)
        throw EConvertError(QStringLiteral("Invalid metafile"));
    // Count the records up to the first broken one.
    qsizetype at = start + 18;
    records = 1;
    while (at + 6 <= bytes.size() && records < MaxRecords) {
        const std::uint32_t words = readU32(bytes, at);
        if (words < 3 || qsizetype(words) > (bytes.size() - at) / 2)
            break;
        ++records;
        if (readI16(bytes, at + 4) == std::int16_t(pictures::WmfRecord::Eof))
            break;
        at += qsizetype(words) * 2;
    }
    if (!placeable) {
        // Without a size the window extent, or else the drawing's bounds, serve.
        qsizetype a = start + 18;
        QPointF org(0, 0);
        QSizeF ext(0, 0);
        while (a + 6 <= bytes.size()) {
            const std::uint32_t words = readU32(bytes, a);
            const int fn = static_cast<std::uint16_t>(readI16(bytes, a + 4));
            if (words < 3 || qsizetype(words) > (bytes.size() - a) / 2 || fn == int(pictures::WmfRecord::Eof))
                break;
            if (fn == int(pictures::WmfRecord::SetWindowOrg) && a + 10 <= bytes.size())
                org = QPointF(readI16(bytes, a + 8), readI16(bytes, a + 6));
            else if (fn == int(pictures::WmfRecord::SetWindowExt) && ext.isEmpty() && a + 10 <= bytes.size())
                ext = QSizeF(readI16(bytes, a + 8), readI16(bytes, a + 6));
            a += qsizetype(words) * 2;
        }
        if (ext.width() != 0 && ext.height() != 0) {
            bounds = QRectF(org, ext).normalized().toRect();
        } else {
            // Played at the identity mapping, the drawing shows its extent.
            bounds = QRect(0, 0, 1000, 1000);
            QPicture probe;
            {
                QPainter pp(&probe);
                Play(pp, QRectF(0, 0, 1000, 1000));
            }
            const QRect drawn = probe.boundingRect();
            bounds = drawn.isEmpty() ? QRect(0, 0, 1000, 1000) : drawn;
        }
        inch = 2540;
    }
}

Metafile Metafile::FromBytes(const QByteArray& data)
{
    Metafile m;
    m.bytes = data;
    m.parse();
    return m;
}

Metafile Metafile::FromFile(const QString& path)
{
    // Through the safe reader: a named pipe or a device such as /dev/zero
    // under a .wmf name is refused before a byte is read.
    Metafile m = FromBytes(ReadOutsideFileOrThrow(path, MaxBytes));
    if (!m.enhanced && !m.placeable) {
        const QRect b = m.bounds;
        auto clamp16 = [](int v) { return std::clamp(v, -32768, 32767); };
        QByteArray withHeader = PlaceableHeader(clamp16(b.left()), clamp16(b.top()), clamp16(b.right() + 1),
                                    clamp16(b.bottom() + 1), m.inch)
            + m.bytes;
        m = FromBytes(withHeader);
    }
    return m;
}

int Metafile::Width() const
{
    if (IsEmpty())
        return 0;
    const int mm = enhanced ? bounds.width() : MulDiv(bounds.width(), 2540, inch);
    return MulDiv(mm, ScreenPpi(), 2540);
}

int Metafile::Height() const
{
    if (IsEmpty())
        return 0;
    const int mm = enhanced ? bounds.height() : MulDiv(bounds.height(), 2540, inch);
    return MulDiv(mm, ScreenPpi(), 2540);
}

void Metafile::Play(QPainter& painter, const QRectF& target) const
{
    if (!painter.isActive())
        return;
    if (enhanced)
        pictures::EmfPlayer(painter, target).run(bytes);
    else
        pictures::WmfPlayer(painter, target, bounds, placeable ? 22 : 0).run(bytes);
}

} // namespace bv
