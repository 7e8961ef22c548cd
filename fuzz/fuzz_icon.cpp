// Fuzz target: the icon reader. Any bytes either fail with EConvertError or
// give an icon image within the size limits, which is then laid on white as a
// picture made from an icon is.
#include "platform/Errors.h"
#include "platform/Icon.h"

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
    try {
        const bv::Icon icon = bv::Icon::FromBytes(bytes);
        if (icon.Width() <= 0 || icon.Width() > bv::Icon::MaxSide || icon.Height() <= 0
            || icon.Height() > bv::Icon::MaxSide)
            std::abort();
        const QImage white = icon.OnWhite();
        if (white.size() != icon.Image().size())
            std::abort();
    } catch (const bv::EConvertError&) {
    }
    return 0;
}
