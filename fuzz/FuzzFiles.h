#pragma once
// Helpers shared by the fuzz targets whose readers take a file name: the
// input is written to a file in a private temporary folder first.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace fuzz {

inline const QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Writes the bytes to `name` in the fuzz folder and returns its path.
inline QString writeInput(const QString& name, const std::uint8_t* data, std::size_t size)
{
    const QString path = folder().filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

} // namespace fuzz

// Targets that draw text load fonts through fontconfig, FreeType and
// HarfBuzz into Qt's font cache, which lives as long as the process (the
// application object of a fuzz target is never destroyed); those are not
// leaks of the program.
#define BRISVALE_FUZZ_FONTCONFIG_SUPPRESSIONS                                                        \
    extern "C" const char* __lsan_default_suppressions()                                             \
    {                                                                                                \
        return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libharfbuzz.so\n"                 \
               "leak:QFontEngine\nleak:QFontDatabase\nleak:QFontCache\nleak:QFreetypeFace\n"      \
               "leak:QFontconfigDatabase\nleak:libQt6Gui.so\n";                                      \
    }
