// Fuzz target: the JPEG wrapper must turn any bytes into a bitmap or an
// EConvertError, without a crash, a leak or a jump out of libjpeg's error
// handler that skips clean-up.
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const bv::Dib dib = bv::Jpeg::Decode(input);
        if (dib.IsEmpty() || dib.Width() <= 0 || dib.Height() <= 0)
            std::abort();
    } catch (const bv::EConvertError&) {
    }
    return 0;
}
