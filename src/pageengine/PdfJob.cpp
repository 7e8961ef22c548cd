#include "pageengine/PdfJob.h"

#include "pageengine/PageEngine.h"
#include "platform/Numeric.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

// qpdf's own pointers are std::shared_ptr from here on.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>

namespace bv {

namespace {

int channel(TColor c, int k) { return (static_cast<std::uint32_t>(c) >> (8 * k)) & 0xFF; }

// A number as PDF content writes it: fixed point, no trailing zeros.
QByteArray num(double v)
{
    QByteArray s = QByteArray::number(v, 'f', 4);
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    if (s == "-0")
        s = "0";
    return s;
}

// One Qt PDF writer into memory.
struct Layer {
    QByteArray bytes;
    QBuffer buffer{&bytes};
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    int pages = 0;

    bool begin(const QString& title, const QPageSize& size, bool landscape, int resolution)
    {
        buffer.open(QIODevice::WriteOnly);
        writer = std::make_unique<QPdfWriter>(&buffer);
        writer->setTitle(title);
        writer->setCreator(QStringLiteral("Brisvale"));
        writer->setResolution(resolution);
        writer->setPageSize(size);
        writer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        writer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        if (!painter.begin(writer.get()))
            return false;
        prepare();
        pages = 1;
        return true;
    }
    void prepare()
    {
        // Pictures keep every pixel: no JPEG for bitmaps in the PDF.
        painter.setRenderHint(QPainter::LosslessImageRendering, true);
    }
    void newPage(const QPageSize* size = nullptr)
    {
        if (size)
            writer->setPageSize(*size);
        writer->newPage();
        ++pages;
    }
    void end()
    {
        if (painter.isActive())
            painter.end();
        buffer.close();
    }
};

struct Part {
    int page = -1;    // page of the block layer, or
    int shading = -1; // a shading
};

struct Block {
    QString key;
    QSizeF inches;
    QList<Part> parts;
};

struct Placement {
    int block = 0;
    double x = 0;
    double y = 0;
};

QPageSize blockPageSize(const QSizeF& inches)
{
    return QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch);
}

using QOH = QPDFObjectHandle;

double top(QOH box)
{
    return box.isArray() && box.getArrayNItems() >= 4 ? box.getArrayItem(3).getNumericValue() : 0;
}

// A page of another document as a form XObject of `out`. Qt writes one
// content stream per page: it becomes the form as it stands, its compressed
// bytes copied, not decoded and compressed again.
QOH pageAsForm(QPDF& out, QOH page, double& height)
{
    QPDFPageObjectHelper helper(page);
    QOH box = helper.getAttribute("/MediaBox", false);
    height = top(box);
    QOH contents = page.getKey("/Contents");
    if (contents.isArray() && contents.getArrayNItems() == 1)
        contents = contents.getArrayItem(0);
    QOH form;
    if (contents.isStream()) {
        form = contents;
        QOH dict = form.getDict();
        dict.replaceKey("/Type", QOH::newName("/XObject"));
        dict.replaceKey("/Subtype", QOH::newName("/Form"));
        dict.replaceKey("/BBox", box.shallowCopy());
        QOH resources = helper.getAttribute("/Resources", false);
        dict.replaceKey("/Resources", resources.isNull() ? QOH::newDictionary() : resources);
    } else {
        form = helper.getFormXObjectForPage(false);
    }
    return out.copyForeignObject(form);
}

QOH numbers(std::initializer_list<double> values)
{
    std::vector<QOH> items;
    for (double v : values)
        items.push_back(QOH::newReal(v, 4, true));
    return QOH::newArray(items);
}

// A clip path in the PDF user space of a page `height` points high whose
// device pixels are `k` points.
QByteArray pathOps(const QPainterPath& path, double k, double height)
{
    QByteArray out;
    auto pt = [&](double x, double y) { return num(x * k) + ' ' + num(height - y * k); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            out += pt(e.x, e.y) + " m\n";
        } else if (e.isLineTo()) {
            out += pt(e.x, e.y) + " l\n";
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element to = path.elementAt(i + 2);
            out += pt(e.x, e.y) + ' ' + pt(c2.x, c2.y) + ' ' + pt(to.x, to.y) + " c\n";
            i += 2;
        }
    }
    if (out.isEmpty())
        return "0 0 0 0 re W n\n"; // an empty clip shows nothing
    out += path.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n";
    return out;
}

QByteArray rectOps(const QRectF& r, double k, double height)
{
    return num(r.left() * k) + ' ' + num(height - r.bottom() * k) + ' ' + num(r.width() * k) + ' '
        + num(r.height() * k) + " re W n\n";
}

} // namespace

struct TPdfJob::Private {
    QString title;
    QPageSize sheetSize;
    bool landscape = false;
    int resolution = 1200;
    Layer sheets;
    bool sheetsOk = false;
    QList<QList<Placement>> placements{QList<Placement>()};
    Layer blocks;
    bool blocksStarted = false;
    QList<Block> blockList;
    QList<TPdfShading> shadings;
    int current = -1;
    QRectF trimBox;
    QRectF bleedBox;

    QPainter* blockPage(const QSizeF& inches)
    {
        const QPageSize size = blockPageSize(inches);
        if (!blocksStarted) {
            blocksStarted = true;
            if (!blocks.begin(title, size, false, resolution))
                throw EPrinter(QStringLiteral("Unable to start the PDF writer"));
        } else {
            blocks.newPage(&size);
            blocks.prepare();
        }
        blockList[current].parts.append(Part{blocks.pages - 1, -1});
        return &blocks.painter;
    }
};

TPdfJob::TPdfJob(const QString& title, const QPageSize& sheet, bool landscape, int resolution)
    : d(std::make_unique<Private>())
{
    d->title = title;
    d->sheetSize = sheet;
    d->landscape = landscape;
    d->resolution = resolution;
    d->sheetsOk = d->sheets.begin(title, sheet, landscape, resolution);
}

TPdfJob::~TPdfJob()
{
    d->sheets.end();
    d->blocks.end();
}

QPainter* TPdfJob::SheetPainter() const
{
    return d->sheetsOk ? &d->sheets.painter : nullptr;
}

void TPdfJob::NewSheet()
{
    d->sheets.newPage();
    d->sheets.prepare();
    d->placements.append(QList<Placement>());
}

int TPdfJob::FindBlock(const QString& key, const QSizeF& inches) const
{
    for (int i = 0; i < d->blockList.size(); ++i)
        if (d->blockList[i].key == key && d->blockList[i].inches == inches)
            return i;
    return -1;
}

QPainter* TPdfJob::BeginBlock(const QString& key, const QSizeF& inches)
{
    d->blockList.append(Block{key, inches, {}});
    d->current = int(d->blockList.size()) - 1;
    return d->blockPage(inches);
}

bool TPdfJob::ShadingFits(const QList<TColor>& colours)
{
    const int n = int(colours.size());
    if (n < 2)
        return false;
    for (int k = 0; k < 3; ++k) {
        const int s = channel(colours.first(), k);
        const int delta = channel(colours.last(), k) - s;
        for (int i = 0; i < n; ++i)
            if (channel(colours[i], k) != s + MulDiv(i, delta, n - 1))
                return false;
    }
    for (TColor c : colours)
        if ((static_cast<std::uint32_t>(c) & 0xFF000000u) != 0)
            return false;
    return true;
}

QByteArray TPdfJob::BandFunction(const QList<TColor>& colours)
{
    // t in [0, 1] -> band i = floor(t * n), the last band for t = 1; then
    // per component first + i * delta / (n - 1), rounded half away from
    // zero as MulDiv rounds (computed on |delta|, negated after rounding).
    const int n = int(colours.size());
    const QByteArray last = QByteArray::number(n - 1);
    QByteArray f = "{ " + QByteArray::number(n) + " mul floor dup " + last + " gt { pop " + last + " } if";
    for (int k = 0; k < 3; ++k) {
        const int s = channel(colours.first(), k);
        const int delta = channel(colours.last(), k) - s;
        if (k < 2)
            f += " dup";
        f += ' ' + QByteArray::number(std::abs(delta)) + " mul " + last + " div round";
        if (delta < 0)
            f += " neg";
        f += ' ' + QByteArray::number(s) + " add 255 div";
        if (k < 2)
            f += " exch";
    }
    f += " }";
    return f;
}

QPainter* TPdfJob::AddShading(const TPdfShading& shading)
{
    Block& block = d->blockList[d->current];
    d->shadings.append(shading);
    block.parts.append(Part{-1, int(d->shadings.size()) - 1});
    return d->blockPage(block.inches);
}

int TPdfJob::EndBlock()
{
    const int done = d->current;
    d->current = -1;
    return done;
}

void TPdfJob::Place(int block, double x, double y)
{
    d->placements.last().append(Placement{block, x, y});
}

void TPdfJob::SetPageBoxes(const QRectF& trim, const QRectF& bleed)
{
    d->trimBox = trim;
    d->bleedBox = bleed;
}

int TPdfJob::Sheets() const
{
    return d->sheets.pages;
}

int TPdfJob::Blocks() const
{
    return int(d->blockList.size());
}

QByteArray TPdfJob::Finish()
{
    d->sheets.end();
    d->blocks.end();
    try {
        QPDF out;
        out.setSuppressWarnings(true);
        out.processMemoryFile("sheets", d->sheets.bytes.constData(), size_t(d->sheets.bytes.size()));
        QPDF blockDoc;
        blockDoc.setSuppressWarnings(true);
        std::vector<QOH> blockPages;
        if (d->blocksStarted) {
            blockDoc.processMemoryFile("blocks", d->blocks.bytes.constData(), size_t(d->blocks.bytes.size()));
            blockPages = blockDoc.getAllPages();
        }
        const double k = 72.0 / d->resolution;

        // Each block once, as a form XObject.
        std::vector<QOH> blockForms;
        std::vector<double> blockHeights;
        for (const Block& block : d->blockList) {
            std::vector<std::pair<QOH, int>> parts; // form or shading, by kind
            double height = 0;
            for (const Part& part : block.parts) {
                if (part.page >= 0) {
                    if (part.page >= int(blockPages.size()))
                        throw EPrinter(QStringLiteral("A card's page is missing from the PDF"));
                    double h = 0;
                    parts.emplace_back(pageAsForm(out, blockPages[size_t(part.page)], h), -1);
                    if (height == 0)
                        height = h;
                } else {
                    parts.emplace_back(QOH::newNull(), part.shading);
                }
            }
            blockHeights.push_back(height);
            if (parts.size() == 1 && parts.front().second < 0) {
                blockForms.push_back(parts.front().first);
                continue;
            }
            QByteArray content;
            QOH xobjects = QOH::newDictionary();
            QOH shadingDict = QOH::newDictionary();
            int n = 0;
            for (const auto& [form, shadingIndex] : parts) {
                const std::string name = "/P" + std::to_string(n++);
                if (shadingIndex < 0) {
                    xobjects.replaceKey(name, form);
                    content += QByteArray::fromStdString(name) + " Do\n";
                    continue;
                }
                const TPdfShading& s = d->shadings[shadingIndex];
                QOH function = QOH::newStream(&out, BandFunction(s.Colours).toStdString());
                QOH fd = function.getDict();
                fd.replaceKey("/FunctionType", QOH::newInteger(4));
                fd.replaceKey("/Domain", numbers({0, 1}));
                fd.replaceKey("/Range", numbers({0, 1, 0, 1, 0, 1}));
                const QRectF a(s.Area);
                QOH coords = s.Across
                    ? numbers({a.left() * k, height - a.top() * k, a.right() * k, height - a.top() * k})
                    : numbers({a.left() * k, height - a.top() * k, a.left() * k, height - (a.top() + a.height()) * k});
                QOH sh = QOH::newDictionary();
                sh.replaceKey("/ShadingType", QOH::newInteger(2));
                sh.replaceKey("/ColorSpace", QOH::newName("/DeviceRGB"));
                sh.replaceKey("/Coords", coords);
                sh.replaceKey("/Function", function);
                sh.replaceKey("/Extend", QOH::newArray({QOH::newBool(true), QOH::newBool(true)}));
                shadingDict.replaceKey(name, out.makeIndirectObject(sh));
                content += "q\n";
                if (s.BlockClip)
                    content += rectOps(QRectF(*s.BlockClip), k, height);
                if (s.Clip)
                    content += pathOps(*s.Clip, k, height);
                content += rectOps(a, k, height);
                content += QByteArray::fromStdString(name) + " sh\nQ\n";
            }
            QOH form = QOH::newStream(&out, content.toStdString());
            QOH fd = form.getDict();
            fd.replaceKey("/Type", QOH::newName("/XObject"));
            fd.replaceKey("/Subtype", QOH::newName("/Form"));
            fd.replaceKey("/BBox", numbers({0, 0, block.inches.width() * 72, height}));
            QOH resources = QOH::newDictionary();
            resources.replaceKey("/XObject", xobjects);
            resources.replaceKey("/Shading", shadingDict);
            fd.replaceKey("/Resources", resources);
            blockForms.push_back(form);
        }

        // The sheets: their own drawing, then the blocks placed on them.
        std::vector<QOH> pages = out.getAllPages();
        for (QOH& page : pages) {
            const double sheetHeight = top(QPDFPageObjectHelper(page).getAttribute("/MediaBox", false));
            auto box = [&](const QRectF& r) {
                return numbers({r.left() * 72, sheetHeight - r.bottom() * 72, r.right() * 72, sheetHeight - r.top() * 72});
            };
            if (!d->trimBox.isEmpty() || !d->bleedBox.isEmpty()) {
                // The writer rounds the page to whole points, which would
                // cut a bleed box of any other size: the page is given its
                // exact size, its top edge (where drawing is measured from)
                // kept.
                QSizeF exact = d->sheetSize.definitionSize();
                switch (d->sheetSize.definitionUnits()) {
                case QPageSize::Inch: exact *= 72; break;
                case QPageSize::Millimeter: exact *= 72 / 25.4; break;
                case QPageSize::Point: break;
                default: exact = QSizeF(d->sheetSize.sizePoints()); break;
                }
                if (d->landscape)
                    exact.transpose();
                if (exact.width() > 0 && exact.height() > 0)
                    page.replaceKey("/MediaBox", numbers({0, sheetHeight - exact.height(), exact.width(), sheetHeight}));
            }
            if (!d->trimBox.isEmpty())
                page.replaceKey("/TrimBox", box(d->trimBox));
            if (!d->bleedBox.isEmpty())
                page.replaceKey("/BleedBox", box(d->bleedBox));
        }
        for (size_t i = 0; i < pages.size() && i < size_t(d->placements.size()); ++i) {
            const QList<Placement>& placed = d->placements[int(i)];
            if (placed.isEmpty())
                continue;
            QPDFPageObjectHelper page(pages[i]);
            const double sheetHeight = top(page.getAttribute("/MediaBox", false));
            QOH resources = page.getAttribute("/Resources", true);
            if (!resources.isDictionary()) {
                resources = QOH::newDictionary();
                pages[i].replaceKey("/Resources", resources);
            }
            QOH existing = resources.getKey("/XObject");
            QOH xobjects = existing.isDictionary() ? existing.shallowCopy() : QOH::newDictionary();
            QByteArray content = "\nQ\n";
            for (const Placement& p : placed) {
                const std::string name = "/BvCard" + std::to_string(p.block);
                xobjects.replaceKey(name, blockForms[size_t(p.block)]);
                const Block& block = d->blockList[p.block];
                const double w = block.inches.width() * 72;
                const double h = block.inches.height() * 72;
                const double blockHeight = blockHeights[size_t(p.block)];
                content += "q 1 0 0 1 " + num(p.x * 72) + ' ' + num(sheetHeight - p.y * 72 - blockHeight) + " cm 0 "
                    + num(blockHeight - h) + ' ' + num(w) + ' ' + num(h) + " re W n "
                    + QByteArray::fromStdString(name) + " Do Q\n";
            }
            resources.replaceKey("/XObject", xobjects);
            page.addPageContents(QOH::newStream(&out, "q\n"), true);
            page.addPageContents(QOH::newStream(&out, content.toStdString()), false);
        }

        QPDFWriter writer(out);
        writer.setOutputMemory();
        // Qt's streams are kept as compressed; the new ones are compressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(true);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
        const std::shared_ptr<Buffer> result = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(result->getBuffer()), qsizetype(result->getSize()));
    } catch (const EPrinter&) {
        throw;
    } catch (const std::exception& e) {
        throw EPrinter(QStringLiteral("The PDF could not be put together: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace bv
