// Fuzz target: the settings file QRD.INI through the private-profile reader
// and every settings record read from it. Reading never fails; the layout and
// printer nudges come out within the limits of their dialogs.
#include "document/Settings.h"
#include "fuzz/FuzzFiles.h"
#include "platform/LayoutLimits.h"
#include "platform/ProfileFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::writeInput(QStringLiteral("QRD.INI"), data, size);
    const bv::ProfileFile ini(path);
    for (const QString& section : ini.ReadSections())
        for (const QString& key : ini.ReadSection(section)) {
            (void)ini.ReadString(section, key);
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
        }
    const bv::TSettings settings(path);
    const bv::TPreferences p = settings.LoadPreferences();
    if (p.Nudges.TopMargin < bv::MinNudge || p.Nudges.TopMargin > bv::MaxNudge)
        std::abort();
    const bv::TCardLayout l = settings.LoadLayoutPreferences(bv::TCardLayout());
    if (l.Across < bv::layoutlimits::MinAcross || l.Across > bv::layoutlimits::MaxAcross
        || l.Down < bv::layoutlimits::MinDown || l.Down > bv::layoutlimits::MaxDown || !(l.Width >= 0.5f)
        || !(l.Height >= 0.3f) || l.Width > 99.0f || l.Height > 99.0f)
        std::abort();
    (void)settings.LoadPersonalInfo();
    (void)settings.LoadRecentFiles();
    return 0;
}
