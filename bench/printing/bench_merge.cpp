// A mail merge printed to PDF: one card per record of a generated CSV file
// (name, title, company, phone, e-mail), ten cards a Letter sheet, with a
// picture on every card. Reported per run: time, the process's peak
// resident memory after the run and its growth over the run (a bounded job
// keeps the same peak for 1,000 and 10,000 records), the PDF's size, and the
// picture objects the PDF holds (written once, however many cards show them).
#include "app/DesignClasses.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/MultiLineLabel.h"
#include "pageengine/PagePrinter.h"
#include "platform/Dib.h"
#include "platform/Interaction.h"
#include "platform/MergeSource.h"
#include "pictures/Picture.h"
#include "printing/PrintCommands.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace bv;

namespace {

class Unattended final : public Interaction {
public:
    bool AskYesNo(const QString&, const QString&) override { return false; }
    void ShowInfo(const QString&, const QString&) override {}
    void ShowError(const QString& m, const QString&) override { error = m; }
    QString ChooseOpenFile(const FileChoice&) override { return {}; }
    QString ChooseSaveFile(const FileChoice&) override { return {}; }
    std::optional<QFont> ChooseFont(const QFont&, const QString&) override { return std::nullopt; }
    std::optional<QColor> ChooseColour(const QColor&, const QString&) override { return std::nullopt; }
    int RunModal(QDialog&) override { return mrCancel; }
    void Beep() override {}
    QString error;
};

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

QString writeContacts(const QTemporaryDir& dir, int records)
{
    const QString path = dir.filePath(QStringLiteral("contacts-%1.csv").arg(records));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("Name,Title,Company,Phone,Email\r\n");
    for (int i = 1; i <= records; ++i)
        f.write(QStringLiteral("Person %1,\"Engineer, grade %2\",Brisvale Works,+1 555 %3,person%1@example.com\r\n")
                    .arg(i)
                    .arg(i % 7)
                    .arg(i % 10000, 4, 10, QLatin1Char('0'))
                    .toUtf8());
    return path;
}

void buildCard(TGBusinessCardPanel32& panel)
{
    auto attach = [&panel](TGGraphicControl* o, int l, int t, int w, int h) {
        o->SetParent(&panel);
        o->SetBounds(l, t, w, h);
        o->Loaded();
        panel.AttachObject(o);
    };
    auto* name = new TGBusinessCardLabel;
    name->SetCaption(QStringLiteral("{Name}"));
    attach(name, 20, 20, 220, 20);
    auto* title = new TGBusinessCardLabel;
    title->SetCaption(QStringLiteral("{Title}"));
    attach(title, 20, 44, 220, 18);
    auto* block = new TGMultiLineLabel;
    block->SetItems({ QStringLiteral("{Company}"), QStringLiteral("Tel {Phone}"), QStringLiteral("{Email}") });
    attach(block, 20, 100, 220, 60);
    // A 160 × 160 colour logo, the same picture on every card.
    QImage logo(160, 160, QImage::Format_RGB32);
    logo.fill(Qt::white);
    {
        QPainter p(&logo);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 8; ++i) {
            p.setBrush(QColor::fromHsv(i * 45, 200, 220));
            p.drawEllipse(QPointF(80, 80), 78 - i * 9, 78 - i * 9);
        }
    }
    auto* image = new TGImage;
    image->SetPicture(TPicture::FromBitmap(Dib::FromImage(logo)));
    attach(image, 250, 20, 80, 80);
}

int countImages(const QString& pdf)
{
    QFile f(pdf);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    return static_cast<int>(bytes.count("/Subtype /Image"));
}

void BM_MergeToPdf(benchmark::State& state)
{
    const int records = static_cast<int>(state.range(0));
    RegisterDesignClasses();
    Unattended unattended;
    Interaction::Install(&unattended);
    QTemporaryDir dir;
    const QString csv = writeContacts(dir, records);
    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    buildCard(panel);
    TPrintCommands printing(panel.Model());
    printing.Unattended = true;
    printing.PrintMode = true;
    const QString pdf = dir.filePath(QStringLiteral("merge.pdf"));
    double before = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto printer = std::make_unique<TPagePrinter>();
        printer->SetOutputFileName(pdf);
        printing.SetMainPagePrinter(std::move(printer));
        before = peakMegabytes();
        state.ResumeTiming();
        // Reading the file is part of the job.
        TMergeChoice merge;
        merge.Table = std::make_shared<TMergeTable>(ReadMergeFile(csv));
        printing.Merge = merge;
        const TPrintOutcome outcome = printing.DoPrint();
        if (!outcome.Error.isEmpty() || outcome.PositionsDrawn.size() != records)
            state.SkipWithError("the merge did not print every record");
    }
    state.counters["records"] = records;
    state.counters["sheets"] = printing.LastOutcome().Pages;
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["growth_MB"] = peakMegabytes() - before;
    state.counters["pdf_MB"] = QFileInfo(pdf).size() / 1048576.0;
    state.counters["pdf_images"] = countImages(pdf);
    Interaction::Install(nullptr);
}
BENCHMARK(BM_MergeToPdf)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    qputenv("BRISVALE_PPI", "96");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
