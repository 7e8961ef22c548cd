// Rich text: drawing a card that holds five rich text objects of about 300
// characters each at zoom 1.5 (every object copies its document into the
// shared master, which lays it out and paints it), and reading and writing a
// 50 KB RTF document.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_richtext
#include "richtext/RichBaseLabel.h"
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

// About 300 characters in several fonts, sizes, colours and styles.
QByteArray objectRtf(int n)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                     "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\\viewkind4\\uc1 ";
    rtf += "\\pard\\qc\\b\\fs28 Brisvale Cards Ltd " + QByteArray::number(n) + "\\b0\\par";
    rtf += "\\pard\\fs18\\f1 Designer of \\i business cards\\i0 , letterheads and \\cf1 signs\\cf0  for small firms "
           "in the valley and the towns around it.\\par";
    rtf += "\\pard\\qr\\f0\\fs16\\cf2 Phone 555 0100 \\endash  Fax 555 0101\\line mail@brisvale.example\\par";
    rtf += "\\pard\\qj\\fs14 Caf\\'e9 open weekdays from nine to five; weekends by appointment only, please call.\\par}";
    return rtf;
}

struct RichCard {
    QWidget form;
    TGBusinessCardPanel32* panel = new TGBusinessCardPanel32(&form);
    RichCard()
    {
        CreateMasterRichText(panel->Model(), &form);
        panel->resize(336, 192);
        for (int i = 0; i < 5; ++i) {
            auto* o = new TGPRichBaseLabel;
            o->SetParent(panel);
            o->SetBounds((i % 2) * 168, (i / 2) * 64, 168, 64);
            o->RtfStorage().RtfText().SetData(objectRtf(i));
            o->Loaded();
            panel->AttachObject(o);
        }
        panel->SetZoom(1.5f);
    }
};

// A document of about 50 KB of RTF: the object text over and over.
QByteArray bigRtf()
{
    QTextDocument doc;
    QByteArray body;
    RtfReader::Read(objectRtf(0), doc);
    const QByteArray one = RtfWriter::Write(doc);
    // The paragraphs of one object, repeated inside one document.
    const qsizetype start = one.indexOf("\\pard");
    const QByteArray paragraphs = one.mid(start, one.lastIndexOf('}') - start);
    QByteArray rtf = one.left(start);
    while (rtf.size() < 50 * 1024)
        rtf += paragraphs;
    rtf += "}";
    return rtf;
}

void BM_DrawCardFiveRichObjects(benchmark::State& state)
{
    RichCard card;
    QImage first = card.panel->RenderScreen();
    for (auto _ : state) {
        QImage image = card.panel->RenderScreen();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_DrawCardFiveRichObjects)->Unit(benchmark::kMillisecond);

void BM_ReadRtf50KB(benchmark::State& state)
{
    const QByteArray rtf = bigRtf();
    for (auto _ : state) {
        QTextDocument doc;
        RtfReader::Read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.counters["bytes"] = double(rtf.size());
}
BENCHMARK(BM_ReadRtf50KB)->Unit(benchmark::kMillisecond);

void BM_WriteRtf50KB(benchmark::State& state)
{
    QTextDocument doc;
    RtfReader::Read(bigRtf(), doc);
    for (auto _ : state) {
        QByteArray out = RtfWriter::Write(doc);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = double(RtfWriter::Write(doc).size());
}
BENCHMARK(BM_WriteRtf50KB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
