// Fuzz target: the recorded-pages player. Any bytes load as a recording or
// fail with EReadError; a recording that loads plays every page.
#include "fuzz/FuzzFiles.h"
#include "pageengine/PagePlayer.h"
#include "platform/Errors.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

BRISVALE_FUZZ_FONTCONFIG_SUPPRESSIONS

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::TPagePlayer player;
    try {
        player.Load(input);
    } catch (const bv::EReadError&) {
        return 0;
    }
    // Small pictures of at most a few pages: the drawing itself is what is
    // tried, not the size of the picture.
    for (int page = 1; page <= std::min(player.PageCount(), 3); ++page)
        try {
            (void)player.RenderPage(page, 4);
        } catch (const bv::Exception&) {
        }
    return 0;
}
