// Fuzz target: the Windows bitmap reader must turn any bytes into a bitmap or
// an EConvertError; a bitmap it accepts must turn, and write back and read to
// the same pixels.
#include "platform/Dib.h"
#include "platform/Errors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::Dib dib;
    try {
        dib = bv::Dib::FromBytes(input);
    } catch (const bv::EConvertError&) {
        // The same bytes as a packed bitmap (clipboard and resources).
        try {
            (void)bv::Dib::FromPackedDib(input);
        } catch (const bv::EConvertError&) {
        }
        return 0;
    }
    if (dib.Image().width() != dib.Width() || dib.Image().height() != dib.Height())
        std::abort();
    if (std::int64_t(dib.Width()) * dib.Height() <= (1 << 20)) {
        const bv::Dib turned = dib.QuarterTurn();
        if (turned.Width() != dib.Height() || turned.Height() != dib.Width())
            std::abort();
        const bv::Dib again = bv::Dib::FromBytes(dib.Bytes());
        if (again.Image() != dib.Image())
            std::abort();
    }
    return 0;
}
