// Fuzz target: a design's companion file, in its INI form or the older plain
// text form. Reading never fails, and the layout it gives is always within the
// layout dialog's limits.
#include "fuzz/FuzzFiles.h"
#include "platform/LayoutLimits.h"
#include "surface/CompanionFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv::layoutlimits;
    const QString path = fuzz::writeInput(QStringLiteral("card.QRE"), data, size);
    const bv::CompanionData d = bv::ReadCompanionFile(path);
    if (!d.exists)
        std::abort();
    const bv::CompanionLayout& l = d.layout;
    if (l.across < MinAcross || l.across > MaxAcross || l.down < MinDown || l.down > MaxDown
        || l.height < MinCardHeight || l.width < MinCardWidth || l.height > MaxLength || l.width > MaxLength
        || l.topMargin < 0 || l.leftMargin < 0 || l.hPitch < 0 || l.vPitch < 0)
        std::abort();
    return 0;
}
