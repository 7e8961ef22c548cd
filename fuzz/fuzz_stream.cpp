// Fuzz target: the object stream reader must turn any bytes into either
// records or an EReadError, never a crash, a hang or a leak; whatever it reads
// must write back to a stream that reads to the same dump.
#include "surface/ObjectStream.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<bv::StreamRecord> records;
    try {
        records = bv::ReadObjectStream(input);
    } catch (const bv::EReadError&) {
        return 0;
    }

    // Write the records back and read them again: the dump must not change.
    // (A class name of 240 characters or more cannot be written back: its
    // length byte would read as an inheritance flags byte.)
    for (const auto& r : records)
        if (r.className.size() >= 0xF0)
            return 0;
    QByteArray again;
    bv::ObjectWriter w(again);
    w.WriteListBegin();
    for (const auto& r : records) {
        w.WriteSignature();
        w.WriteStr(r.className);
        w.WriteStr(r.name);
        for (const auto& p : r.properties) {
            w.WritePropName(p.name);
            w.WriteValue(p.value);
        }
        w.WriteListEnd();
        w.WriteListEnd();
    }
    w.WriteListEnd();
    const QString first = bv::DumpObjectStream(input);
    const QString second = bv::DumpObjectStream(again);
    if (first != second)
        std::abort();

    // Every value must also convert to a property value or fail cleanly.
    for (const auto& r : records)
        for (const auto& p : r.properties) {
            try {
                (void)bv::ToPropertyValue(p.value);
            } catch (const bv::EReadError&) {
            }
            // Binary data may be a picture payload.
            if (p.value.type == bv::vaBinary) {
                try {
                    const bv::PictureData pic = bv::ParsePictureData(p.value.bytes);
                    (void)bv::MakePictureData(pic.graphicClass, pic.data);
                } catch (const bv::EReadError&) {
                }
            }
        }
    return 0;
}
