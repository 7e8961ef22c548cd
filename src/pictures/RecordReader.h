#pragma once
// Bounds-checked little-endian reading over one metafile record or a whole
// file. A read past the end returns zero and marks the reader bad, so a
// record handler can read its fields in order and check once.
#include <QByteArray>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace bv::pictures {

// Bounds-checked little-endian reading over one record or the whole file.
class RecordReader {
public:
    RecordReader(const char* data, qsizetype size) : p(reinterpret_cast<const unsigned char*>(data)), n(size) {}
    bool bad() const { return failed; }
    qsizetype pos() const { return at; }
    qsizetype size() const { return n; }
    qsizetype left() const { return n - at; }
    void seek(qsizetype to)
    {
        if (to < 0 || to > n)
            failed = true;
        else
            at = to;
    }
    void skip(qsizetype k) { seek(at + k); }
    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        return p[at++];
    }
    std::uint16_t u16()
    {
        if (!need(2))
            return 0;
        const auto v = qFromLittleEndian<std::uint16_t>(p + at);
        at += 2;
        return v;
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        const auto v = qFromLittleEndian<std::uint32_t>(p + at);
        at += 4;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32()
    {
        const std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return std::isfinite(f) ? f : 0.0f;
    }
    QByteArray bytes(qsizetype k)
    {
        if (!need(k))
            return {};
        QByteArray b(reinterpret_cast<const char*>(p + at), k);
        at += k;
        return b;
    }
    // A slice [from, from + k) of the data, empty when out of range.
    QByteArray slice(qsizetype from, qsizetype k) const
    {
        if (from < 0 || k < 0 || from > n || k > n - from)
            return {};
        return QByteArray(reinterpret_cast<const char*>(p + from), k);
    }
    bool has(qsizetype k) const { return k >= 0 && n - at >= k; }

private:
    bool need(qsizetype k)
    {
        if (failed || k < 0 || n - at < k) {
            failed = true;
            return false;
        }
        return true;
    }
    const unsigned char* p;
    qsizetype n;
    qsizetype at = 0;
    bool failed = false;
};

} // namespace bv::pictures
