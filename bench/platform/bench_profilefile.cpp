// Profile files are read key by key, each read going to the file. A template
// with many objects is read this way, so a read on a large file must stay
// cheap.
#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A file of `sections` sections of 12 keys each, like a template's objects.
QString makeFile(QTemporaryDir& dir, int sections)
{
    const QString path = dir.filePath(QStringLiteral("bench.ini"));
    QByteArray text;
    for (int s = 0; s < sections; ++s) {
        text += "[Object" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 12; ++k)
            text += "Key" + QByteArray::number(k) + "=value number " + QByteArray::number(s * 100 + k) + "\r\n";
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

void BM_ReadLastKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const int sections = static_cast<int>(state.range(0));
    bv::ProfileFile ini(makeFile(dir, sections));
    const QString section = QStringLiteral("object%1").arg(sections - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadString(section, QStringLiteral("KEY11")));
    state.SetLabel(std::to_string(sections * 13) + " lines");
}
BENCHMARK(BM_ReadLastKey)->Arg(10)->Arg(100)->Arg(1000);

void BM_ReadInteger(benchmark::State& state)
{
    QTemporaryDir dir;
    bv::ProfileFile ini(makeFile(dir, 10));
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadInteger(QStringLiteral("Object5"), QStringLiteral("Key3"), 0));
}
BENCHMARK(BM_ReadInteger);

void BM_WriteKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const int sections = static_cast<int>(state.range(0));
    bv::ProfileFile ini(makeFile(dir, sections));
    int n = 0;
    for (auto _ : state)
        ini.WriteInteger(QStringLiteral("Object0"), QStringLiteral("Key5"), ++n);
}
BENCHMARK(BM_WriteKey)->Arg(10)->Arg(100);

} // namespace

BENCHMARK_MAIN();
