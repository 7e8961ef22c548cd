// Fuzz target: picture files made into bitmaps that keep their transparency
// and resolution (PNG, GIF, WebP and the other formats Qt reads). Any bytes
// either fail with EConvertError or give a bitmap that reads back from its
// own bytes with the same pixels and transparency; the PNG resolution
// reader never reads past the data.
#include "pictures/BitmapImport.h"
#include "platform/Errors.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QSize perMetre = bv::PngPixelsPerMetre(bytes);
    if (perMetre.width() < 0 || perMetre.height() < 0)
        std::abort();
    bv::Dib dib;
    try {
        dib = bv::ImportBitmap(bytes);
    } catch (const bv::EConvertError&) {
        return 0;
    }
    if (dib.XPelsPerMeter() != perMetre.width() || dib.YPelsPerMeter() != perMetre.height())
        std::abort();
    const bv::Dib again = bv::Dib::FromBytes(dib.Bytes());
    if (again.HasAlpha() != dib.HasAlpha() || again.ImageWithAlpha() != dib.ImageWithAlpha())
        std::abort();
    return 0;
}
