// Fuzz target: the metafile player. Any bytes either fail to load with
// EConvertError or play onto a small picture without crashing, hanging or
// reading past the data, at an odd scale and through a transform.
#include "platform/Errors.h"
#include "pictures/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

// Qt's font database keeps fontconfig's patterns for the life of the
// process; those are not leaks of the player.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::Metafile m;
    try {
        m = bv::Metafile::FromBytes(bytes);
    } catch (const bv::EConvertError&) {
        return 0;
    }
    if (m.Bytes() != bytes)
        std::abort(); // the bytes are kept exactly
    QImage img(48, 32, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    m.Play(p, QRectF(2, 3, 40.5, 25));
    p.scale(1.5, -0.75);
    m.Play(p, QRectF(0, -40, 30, 30));
    return 0;
}
