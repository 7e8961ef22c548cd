// Fuzz target: the readers of os-release, locale, cpuinfo and meminfo text
// take any bytes without crashing, and the memory figures they give stay
// consistent (available within the total, load a percentage).
#include "sysinfo/SystemFiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)bv::ParseShellAssignments(text);
    (void)bv::ParseOsName(text);
    (void)bv::ParseCpuInfo(text);
    if (const auto m = bv::ParseMemInfo(text)) {
        if (m->Total <= 0 || m->Available < 0 || m->Available > m->Total || m->Load < 0 || m->Load > 100)
            std::abort();
        if (m->CommitFree && (*m->CommitFree < 0 || !m->CommitLimit || *m->CommitFree > *m->CommitLimit))
            std::abort();
    }
    return 0;
}
