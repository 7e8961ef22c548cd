// Fuzz target: SVG drawings and the metafile that carries one in a design.
// Any bytes either fail with EConvertError or make a drawing that renders
// onto a small picture, keeps its bytes exactly, and comes back unchanged
// out of its carrier metafile; finding carried bytes never reads past the
// data.
#include "platform/Errors.h"
#include "pictures/SvgDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRISVALE_PPI", "96");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // As a metafile that may carry a drawing.
    const QByteArray carried = bv::SvgDrawing::CarriedBytes(bytes);
    if (carried.size() > bytes.size())
        std::abort();
    bv::SvgDrawing d;
    try {
        d = bv::SvgDrawing::FromBytes(carried.isEmpty() ? bytes : carried);
    } catch (const bv::EConvertError&) {
        return 0;
    }
    if (d.Width() < 1 || d.Height() < 1)
        std::abort();
    QImage img(40, 30, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        d.Render(p, QRectF(1, 2, 37.5, 26));
    }
    if (bv::SvgDrawing::CarriedBytes(d.CarrierMetafile()) != d.Bytes())
        std::abort();
    return 0;
}
