// Fuzz target: the RTF reader must take any bytes without a crash, a hang or
// a leak, and what it read must write as RTF that reads back to the same
// text.
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Fonts and text formats need a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument first;
    bv::RtfReader::Read(input, first);
    const QByteArray written = bv::RtfWriter::Write(first);
    QTextDocument second;
    bv::RtfReader::Read(written, second);
    if (second.toRawText() != first.toRawText())
        std::abort();
    return 0;
}
