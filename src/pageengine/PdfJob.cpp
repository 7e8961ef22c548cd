#include "pageengine/PdfJob.h"

#include "pageengine/PageEngine.h"
#include "platform/Numeric.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QPainter>
#include <QPdfWriter>

// qpdf's own pointers are std::shared_ptr from here on.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>
#include <set>

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

struct PartOf {
    int page = -1;    // page of the block layer, or
    int shading = -1; // a shading, or
    int picture = -1; // a picture
};

struct Block {
    QString key;
    QSizeF inches;
    QList<PartOf> parts;
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


// The job's PDF written as it is made: each part's pages and everything
// they use are copied out in order (streams keep their compressed bytes),
// only the objects' places in the file are remembered, and the page tree,
// catalogue and cross-reference table close the file. Within a part qpdf
// objects are numbered afresh; pictures are recognised across parts by
// their bytes and written once. Objects other than streams are packed,
// a few hundred at a time, into compressed object streams, and the
// cross-reference table is a compressed stream too (PDF 1.5), as a
// merge's thousands of small card objects would otherwise take a third
// more room.
class StreamedPdf {
public:
    explicit StreamedPdf(TPdfOutput sink)
        : sink(std::move(sink))
    {
        offsets.assign(3, -1); // 0: free; 1: catalogue; 2: page tree
        packedIn.assign(3, {0, 0});
        put("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n");
        flush();
    }

    // Writes the pages of `doc` (with what they use) after those written;
    // `last`: no part follows (a job of one part needs no digests of its
    // pictures).
    void AddPages(QPDF& doc, bool last)
    {
        digests = !(last && pageNumbers.empty());
        doc.pushInheritedAttributesToPage();
        numbers.clear();
        pageSet.clear();
        const std::vector<QOH> pages = doc.getAllPages();
        for (const QOH& page : pages)
            pageSet.insert(page.getObjGen());
        for (QOH page : pages)
            pageNumbers.push_back(reference(page));
        if (info < 0) {
            QOH i = doc.getTrailer().getKey("/Info");
            if (i.isIndirect() && i.isDictionary())
                info = reference(i);
        }
        drain();
        pack();
        numbers.clear();
        pageSet.clear();
        flush();
    }

    void Finish()
    {
        QByteArray kids;
        for (int n : pageNumbers)
            kids += QByteArray::number(n) + " 0 R ";
        begin(2);
        put("<< /Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(qsizetype(pageNumbers.size()))
            + " >>\nendobj\n");
        begin(1);
        put("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
        // The cross-reference stream: per object its kind (1: at an
        // offset, 2: in an object stream), then the offset or the stream's
        // number, then the generation or the place in the stream.
        const int self = allocate();
        const qint64 xref = written + pending.size();
        offsets[size_t(self)] = xref;
        const int size = int(offsets.size());
        QByteArray rows;
        rows.reserve(qsizetype(size) * 8);
        auto field = [&rows](qint64 v, int bytes) {
            for (int b = bytes - 1; b >= 0; --b)
                rows += char((v >> (8 * b)) & 0xFF);
        };
        for (int n = 0; n < size; ++n) {
            if (n == 0) {
                field(0, 1);
                field(0, 5);
                field(65535, 2);
            } else if (offsets[size_t(n)] >= 0) {
                field(1, 1);
                field(offsets[size_t(n)], 5);
                field(0, 2);
            } else {
                field(2, 1);
                field(packedIn[size_t(n)].first, 5);
                field(packedIn[size_t(n)].second, 2);
            }
        }
        const QByteArray data = qCompress(rows).mid(4);
        const QByteArray id = QCryptographicHash::hash(QByteArray::number(written) + kids, QCryptographicHash::Md5).toHex();
        put(QByteArray::number(self) + " 0 obj\n<< /Type /XRef /Size " + QByteArray::number(size)
            + " /W [1 5 2] /Root 1 0 R" + (info > 0 ? " /Info " + QByteArray::number(info) + " 0 R" : QByteArray())
            + " /ID [<" + id + "> <" + id + ">] /Filter /FlateDecode /Length " + QByteArray::number(data.size())
            + " >>\nstream\n" + data + "\nendstream\nendobj\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
        flush();
    }

    qint64 Written() const { return written + pending.size(); }

private:
    TPdfOutput sink;
    QByteArray pending;
    qint64 written = 0;
    std::vector<qint64> offsets; // -1: packed
    std::vector<std::pair<int, int>> packedIn; // object stream, place
    // Objects waiting for their object stream: numbers and bodies.
    std::vector<int> packNumbers;
    QByteArray packHeader;
    QByteArray packBodies;
    std::vector<int> pageNumbers;
    int info = -1;
    // The part being written: its objects' numbers in the file, its pages.
    std::map<QPDFObjGen, int> numbers;
    std::set<QPDFObjGen> pageSet;
    std::vector<std::pair<QOH, int>> queue;
    // Pictures written so far, by the digest of their bytes.
    std::map<QByteArray, int> pictures;
    bool digests = true;

    void put(const QByteArray& bytes) { pending += bytes; }
    void flush()
    {
        if (pending.isEmpty())
            return;
        sink(pending);
        written += pending.size();
        pending.clear();
    }
    int allocate()
    {
        offsets.push_back(-1);
        packedIn.emplace_back(0, 0);
        return int(offsets.size()) - 1;
    }
    void packObject(int n, const QByteArray& body)
    {
        packHeader += QByteArray::number(n) + ' ' + QByteArray::number(packBodies.size()) + ' ';
        packBodies += body;
        packBodies += '\n';
        packNumbers.push_back(n);
        if (packNumbers.size() >= 200)
            pack();
    }
    // Writes the waiting objects as one object stream.
    void pack()
    {
        if (packNumbers.empty())
            return;
        const int stream = allocate();
        for (size_t i = 0; i < packNumbers.size(); ++i) {
            offsets[size_t(packNumbers[i])] = -1;
            packedIn[size_t(packNumbers[i])] = {stream, int(i)};
        }
        const QByteArray data = qCompress(packHeader + packBodies).mid(4);
        begin(stream);
        put("<< /Type /ObjStm /N " + QByteArray::number(qsizetype(packNumbers.size())) + " /First "
            + QByteArray::number(packHeader.size()) + " /Filter /FlateDecode /Length " + QByteArray::number(data.size())
            + " >>\nstream\n" + data + "\nendstream\nendobj\n");
        packNumbers.clear();
        packHeader.clear();
        packBodies.clear();
    }
    void begin(int n)
    {
        offsets[size_t(n)] = written + pending.size();
        put(QByteArray::number(n) + " 0 obj\n");
    }

    static bool isPicture(QOH o)
    {
        return o.isStream() && o.getDict().getKey("/Subtype").isNameAndEquals("/Image");
    }
    // A digest of an object's content, references followed (a picture's
    // soft mask and colour space are part of it).
    static void digest(QOH o, QCryptographicHash& h, int depth)
    {
        if (depth > 12) {
            h.addData("~");
            return;
        }
        if (o.isStream()) {
            digest(o.getDict(), h, depth + 1);
            const std::shared_ptr<Buffer> data = o.getRawStreamData();
            h.addData(QByteArrayView(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize())));
        } else if (o.isArray()) {
            h.addData("[");
            for (QOH item : o.getArrayAsVector())
                digest(item, h, depth + 1);
            h.addData("]");
        } else if (o.isDictionary()) {
            h.addData("<<");
            for (auto [key, value] : o.getDictAsMap()) {
                if (key == "/Length")
                    continue;
                h.addData(QByteArrayView(key.data(), qsizetype(key.size())));
                digest(value, h, depth + 1);
            }
            h.addData(">>");
        } else {
            const std::string text = o.unparse();
            h.addData(QByteArrayView(text.data(), qsizetype(text.size())));
            h.addData(" ");
        }
    }

    int reference(QOH o)
    {
        const QPDFObjGen og = o.getObjGen();
        if (const auto it = numbers.find(og); it != numbers.end())
            return it->second;
        QByteArray key;
        if (digests && isPicture(o)) {
            QCryptographicHash h(QCryptographicHash::Sha256);
            digest(o, h, 0);
            key = h.result();
            if (const auto it = pictures.find(key); it != pictures.end()) {
                numbers[og] = it->second;
                return it->second;
            }
        }
        const int n = allocate();
        numbers[og] = n;
        if (!key.isEmpty())
            pictures[key] = n;
        queue.emplace_back(o, n);
        return n;
    }

    void value(QOH o, QByteArray& out)
    {
        if (o.isIndirect()) {
            out += QByteArray::number(reference(o)) + " 0 R";
        } else if (o.isArray()) {
            out += '[';
            for (QOH item : o.getArrayAsVector()) {
                value(item, out);
                out += ' ';
            }
            out += ']';
        } else if (o.isDictionary()) {
            dictionary(o, out, false);
        } else {
            out += QByteArray::fromStdString(o.unparse());
        }
    }

    void dictionary(QOH o, QByteArray& out, bool page, const char* extra = nullptr)
    {
        out += "<<";
        for (auto [key, item] : o.getDictAsMap()) {
            if (item.isNull() || (extra && key == "/Length"))
                continue;
            out += QByteArray::fromStdString(QOH::newName(key).unparse()) + ' ';
            if (page && key == "/Parent")
                out += "2 0 R";
            else
                value(item, out);
            out += ' ';
        }
        if (extra)
            out += extra;
        out += ">>";
    }

    void drain()
    {
        while (!queue.empty()) {
            auto [o, n] = queue.back();
            queue.pop_back();
            QByteArray body;
            if (o.isStream()) {
                QOH dict = o.getDict();
                const std::shared_ptr<Buffer> raw = o.getRawStreamData();
                // The stream's bytes as they are (no copy), or compressed.
                QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(raw->getBuffer()), qsizetype(raw->getSize()));
                QByteArray extra;
                // Streams made here (placements, shading functions) are
                // compressed; what Qt wrote keeps its own filters.
                if (!dict.hasKey("/Filter") && data.size() > 64) {
                    data = qCompress(data).mid(4); // zlib's own format: FlateDecode
                    extra = "/Filter /FlateDecode ";
                }
                extra += "/Length " + QByteArray::number(data.size());
                dictionary(dict, body, false, extra.constData());
                begin(n);
                put(body);
                put("\nstream\n");
                if (data.size() > (1 << 16)) {
                    flush();
                    sink(data);
                    written += data.size();
                } else {
                    put(data);
                }
                put("\nendstream\nendobj\n");
                if (pending.size() > (1 << 20))
                    flush();
                continue;
            }
            if (o.isDictionary()) {
                dictionary(o, body, pageSet.count(o.getObjGen()) > 0);
            } else if (o.isArray()) {
                body += '[';
                for (QOH item : o.getArrayAsVector()) {
                    value(item, body);
                    body += ' ';
                }
                body += ']';
            } else {
                body += QByteArray::fromStdString(o.unparseResolved());
            }
            packObject(n, body);
        }
    }
};


// A bitmap's pixels as an image XObject's data: RGB rows and, with
// transparency, the alpha rows of its soft mask, compressed as they are
// read, so no full copy of the pixels is made.
struct CompressedPicture {
    int width = 0;
    int height = 0;
    std::shared_ptr<Buffer> colour;
    std::shared_ptr<Buffer> alpha; // null: opaque
};

CompressedPicture compressPicture(const QImage& source)
{
    const bool transparent = source.hasAlphaChannel();
    const QImage::Format want = transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const bool usable = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
        || source.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage image = usable ? source : source.convertToFormat(want);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const int w = image.width();
    const int h = image.height();
    // zlib's fastest level: photos come out a few percent larger than at
    // its default, in well under half the time.
    Pl_Flate::setCompressionLevel(1);
    Pl_Buffer colourOut("colour");
    Pl_Flate colour("colour", &colourOut, Pl_Flate::a_deflate);
    Pl_Buffer alphaOut("alpha");
    Pl_Flate alpha("alpha", &alphaOut, Pl_Flate::a_deflate);
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * 3);
    std::vector<unsigned char> a(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = premultiplied ? qUnpremultiply(row[x]) : row[x];
            rgb[size_t(x) * 3] = static_cast<unsigned char>(qRed(c));
            rgb[size_t(x) * 3 + 1] = static_cast<unsigned char>(qGreen(c));
            rgb[size_t(x) * 3 + 2] = static_cast<unsigned char>(qBlue(c));
            a[size_t(x)] = static_cast<unsigned char>(qAlpha(c));
        }
        colour.write(rgb.data(), rgb.size());
        if (transparent)
            alpha.write(a.data(), a.size());
    }
    colour.finish();
    alpha.finish();
    CompressedPicture out;
    out.width = w;
    out.height = h;
    out.colour = colourOut.getBufferSharedPointer();
    if (transparent)
        out.alpha = alphaOut.getBufferSharedPointer();
    return out;
}

QOH imageObject(QPDF& doc, const CompressedPicture& p, std::shared_ptr<Buffer> data, bool mask)
{
    QOH image = QOH::newStream(&doc);
    image.replaceStreamData(std::move(data), QOH::newName("/FlateDecode"), QOH::newNull());
    QOH dict = image.getDict();
    dict.replaceKey("/Type", QOH::newName("/XObject"));
    dict.replaceKey("/Subtype", QOH::newName("/Image"));
    dict.replaceKey("/Width", QOH::newInteger(p.width));
    dict.replaceKey("/Height", QOH::newInteger(p.height));
    dict.replaceKey("/ColorSpace", QOH::newName(mask ? "/DeviceGray" : "/DeviceRGB"));
    dict.replaceKey("/BitsPerComponent", QOH::newInteger(8));
    return image;
}

int& blocksPerPart()
{
    // About 20 KB of a part's memory per block: a few megabytes a part.
    static int n = 250;
    return n;
}

} // namespace

// The sheets and blocks of one part of the job.
struct TPdfJob::Part {
    Layer sheets;
    bool sheetsOk = false;
    QList<QList<Placement>> placements{QList<Placement>()};
    Layer blocks;
    bool blocksStarted = false;
    QList<Block> blockList;
    QList<TPdfShading> shadings;
    QList<TPdfPicture> pictures;
};

struct TPdfJob::Private {
    QString title;
    QPageSize sheetSize;
    bool landscape = false;
    int resolution = 1200;
    std::unique_ptr<Part> part;
    int sheetsBefore = 0; // in parts already written
    int blocksBefore = 0;
    int current = -1;
    QRectF trimBox;
    QRectF bleedBox;
    std::unique_ptr<StreamedPdf> pdf;
    // Each bitmap's pixels compressed once per job, by the image's key.
    std::map<qint64, CompressedPicture> compressed;

    void startPart()
    {
        part = std::make_unique<Part>();
        part->sheetsOk = part->sheets.begin(title, sheetSize, landscape, resolution);
    }

    QPainter* blockPage(const QSizeF& inches)
    {
        const QPageSize size = blockPageSize(inches);
        Layer& blocks = part->blocks;
        if (!part->blocksStarted) {
            part->blocksStarted = true;
            if (!blocks.begin(title, size, false, resolution))
                throw EPrinter(QStringLiteral("Unable to start the PDF writer"));
        } else {
            blocks.newPage(&size);
            blocks.prepare();
        }
        part->blockList[current].parts.append(PartOf{blocks.pages - 1, -1, -1});
        return &blocks.painter;
    }

    // Joins the part's layers and writes its sheets out.
    void writePart(bool last);
};

TPdfJob::TPdfJob(const QString& title, const QPageSize& sheet, bool landscape, int resolution, TPdfOutput output)
    : d(std::make_unique<Private>())
{
    d->title = title;
    d->sheetSize = sheet;
    d->landscape = landscape;
    d->resolution = resolution;
    d->pdf = std::make_unique<StreamedPdf>(std::move(output));
    d->startPart();
}

TPdfJob::~TPdfJob()
{
    if (d->part) {
        d->part->sheets.end();
        d->part->blocks.end();
    }
}

void TPdfJob::SetBlocksPerPart(int blocks)
{
    blocksPerPart() = std::max(1, blocks);
}

QPainter* TPdfJob::SheetPainter() const
{
    return d->part && d->part->sheetsOk ? &d->part->sheets.painter : nullptr;
}

void TPdfJob::NewSheet()
{
    if (d->part->blockList.size() >= blocksPerPart()) {
        d->writePart(false);
        d->startPart();
        return;
    }
    d->part->sheets.newPage();
    d->part->sheets.prepare();
    d->part->placements.append(QList<Placement>());
}

int TPdfJob::FindBlock(const QString& key, const QSizeF& inches) const
{
    const QList<Block>& list = d->part->blockList;
    for (int i = 0; i < list.size(); ++i)
        if (list[i].key == key && list[i].inches == inches)
            return i;
    return -1;
}

QPainter* TPdfJob::BeginBlock(const QString& key, const QSizeF& inches)
{
    d->part->blockList.append(Block{key, inches, {}});
    d->current = int(d->part->blockList.size()) - 1;
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
    Block& block = d->part->blockList[d->current];
    d->part->shadings.append(shading);
    block.parts.append(PartOf{-1, int(d->part->shadings.size()) - 1, -1});
    return d->blockPage(block.inches);
}

QPainter* TPdfJob::AddPicture(const TPdfPicture& picture)
{
    Block& block = d->part->blockList[d->current];
    d->part->pictures.append(picture);
    block.parts.append(PartOf{-1, -1, int(d->part->pictures.size()) - 1});
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
    d->part->placements.last().append(Placement{block, x, y});
}

void TPdfJob::SetPageBoxes(const QRectF& trim, const QRectF& bleed)
{
    d->trimBox = trim;
    d->bleedBox = bleed;
}

int TPdfJob::Sheets() const
{
    return d->sheetsBefore + (d->part ? d->part->sheets.pages : 0);
}

int TPdfJob::Blocks() const
{
    return d->blocksBefore + (d->part ? int(d->part->blockList.size()) : 0);
}

qint64 TPdfJob::BytesWritten() const
{
    return d->pdf->Written();
}

void TPdfJob::Finish()
{
    if (d->part)
        d->writePart(true);
    d->pdf->Finish();
}

void TPdfJob::Private::writePart(bool last)
{
    std::unique_ptr<Part> done = std::move(part);
    done->sheets.end();
    done->blocks.end();
    sheetsBefore += done->sheets.pages;
    blocksBefore += int(done->blockList.size());
    try {
        QPDF out;
        out.setSuppressWarnings(true);
        out.processMemoryFile("sheets", done->sheets.bytes.constData(), size_t(done->sheets.bytes.size()));
        QPDF blockDoc;
        blockDoc.setSuppressWarnings(true);
        std::vector<QOH> blockPages;
        if (done->blocksStarted) {
            blockDoc.processMemoryFile("blocks", done->blocks.bytes.constData(), size_t(done->blocks.bytes.size()));
            blockPages = blockDoc.getAllPages();
        }
        const double k = 72.0 / resolution;
        // The part's image objects, by the image's key.
        std::map<qint64, QOH> partImages;
        auto pictureXObject = [this](QPDF& doc, const QImage& image, std::map<qint64, QOH>& made) {
            const qint64 key = image.cacheKey();
            if (const auto it = made.find(key); it != made.end())
                return it->second;
            auto c = compressed.find(key);
            if (c == compressed.end())
                c = compressed.emplace(key, compressPicture(image)).first;
            QOH object = imageObject(doc, c->second, c->second.colour, false);
            if (c->second.alpha)
                object.getDict().replaceKey("/SMask", imageObject(doc, c->second, c->second.alpha, true));
            made.emplace(key, object);
            return object;
        };

        // Each block once, as a form XObject.
        std::vector<QOH> blockForms;
        std::vector<double> blockHeights;
        for (const Block& block : done->blockList) {
            struct Shown {
                QOH form;
                int shading = -1;
                int picture = -1;
            };
            std::vector<Shown> parts;
            double height = 0;
            for (const PartOf& part : block.parts) {
                if (part.page >= 0) {
                    if (part.page >= int(blockPages.size()))
                        throw EPrinter(QStringLiteral("A card's page is missing from the PDF"));
                    double h = 0;
                    parts.push_back(Shown{pageAsForm(out, blockPages[size_t(part.page)], h), -1, -1});
                    if (height == 0)
                        height = h;
                } else {
                    parts.push_back(Shown{QOH::newNull(), part.shading, part.picture});
                }
            }
            blockHeights.push_back(height);
            if (parts.size() == 1 && parts.front().shading < 0 && parts.front().picture < 0) {
                blockForms.push_back(parts.front().form);
                continue;
            }
            QByteArray content;
            QOH xobjects = QOH::newDictionary();
            QOH shadingDict = QOH::newDictionary();
            QOH states = QOH::newDictionary();
            int n = 0;
            for (const auto& [form, shadingIndex, pictureIndex] : parts) {
                const std::string name = "/P" + std::to_string(n++);
                if (pictureIndex >= 0) {
                    const TPdfPicture& p = done->pictures[pictureIndex];
                    xobjects.replaceKey(name, pictureXObject(out, p.Image, partImages));
                    content += "q\n";
                    if (p.Clip)
                        content += pathOps(*p.Clip, k, height);
                    if (p.Opacity < 1) {
                        QOH gs = QOH::newDictionary();
                        gs.replaceKey("/ca", QOH::newReal(std::clamp(p.Opacity, 0.0, 1.0), 4, true));
                        gs.replaceKey("/CA", QOH::newReal(std::clamp(p.Opacity, 0.0, 1.0), 4, true));
                        states.replaceKey(name, gs);
                        content += QByteArray::fromStdString(name) + " gs\n";
                    }
                    // The image's unit square has its first row at the top.
                    const QTransform m = QTransform(1, 0, 0, -1, 0, 1) * p.ToDevice * QTransform(k, 0, 0, -k, 0, height);
                    content += num(m.m11()) + ' ' + num(m.m12()) + ' ' + num(m.m21()) + ' ' + num(m.m22()) + ' '
                        + num(m.dx()) + ' ' + num(m.dy()) + " cm " + QByteArray::fromStdString(name) + " Do\nQ\n";
                    continue;
                }
                if (shadingIndex < 0) {
                    xobjects.replaceKey(name, form);
                    content += QByteArray::fromStdString(name) + " Do\n";
                    continue;
                }
                const TPdfShading& s = done->shadings[shadingIndex];
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
            if (!states.getKeys().empty())
                resources.replaceKey("/ExtGState", states);
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
            if (!trimBox.isEmpty() || !bleedBox.isEmpty()) {
                // The writer rounds the page to whole points, which would
                // cut a bleed box of any other size: the page is given its
                // exact size, its top edge (where drawing is measured from)
                // kept.
                QSizeF exact = sheetSize.definitionSize();
                switch (sheetSize.definitionUnits()) {
                case QPageSize::Inch: exact *= 72; break;
                case QPageSize::Millimeter: exact *= 72 / 25.4; break;
                case QPageSize::Point: break;
                default: exact = QSizeF(sheetSize.sizePoints()); break;
                }
                if (landscape)
                    exact.transpose();
                if (exact.width() > 0 && exact.height() > 0)
                    page.replaceKey("/MediaBox", numbers({0, sheetHeight - exact.height(), exact.width(), sheetHeight}));
            }
            if (!trimBox.isEmpty())
                page.replaceKey("/TrimBox", box(trimBox));
            if (!bleedBox.isEmpty())
                page.replaceKey("/BleedBox", box(bleedBox));
        }
        for (size_t i = 0; i < pages.size() && i < size_t(done->placements.size()); ++i) {
            const QList<Placement>& placed = done->placements[int(i)];
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
                const Block& block = done->blockList[p.block];
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

        pdf->AddPages(out, last);
    } catch (const Exception&) {
        throw; // ours, such as an output that cannot be written
    } catch (const std::exception& e) {
        throw EPrinter(QStringLiteral("The PDF could not be put together: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace bv
