#include "document/CardStockLibrary.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <optional>

Q_LOGGING_CATEGORY(lcCardStock, "brisvale.cardstock")

namespace bv {

namespace {

// Card size: each side between 1.5 and 4.5 inches.
constexpr double MinCardSide = 1.5;
constexpr double MaxCardSide = 4.5;
// A library file larger than this is not a template file.
constexpr std::int64_t MaxLibraryFile = 16 * 1024 * 1024;

struct RawTemplate {
    TCardStock stock;
    bool rectangle = false;
    bool cardSized = false;
    int layouts = 0;
    QString shapeNote;
    QString paperSize; // the size attribute ("A4", "US-Letter", "Other")
    QString paperWidth, paperHeight;
};

double lengthOr(const QXmlStreamAttributes& a, const char* name, bool& ok)
{
    const auto v = LibraryLengthInches(a.value(QLatin1String(name)).toString());
    if (!v) {
        ok = false;
        return 0;
    }
    return *v;
}

// Reads one template file's products (the papers come from paper-sizes.xml);
// false, with `error` set, when the file is not well-formed.
bool readTemplates(const QByteArray& bytes, QList<RawTemplate>& out, QString& error)
{
    QXmlStreamReader xml(bytes);
    QList<RawTemplate> found;
    RawTemplate* current = nullptr;
    bool inLabel = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            const QXmlStreamAttributes a = xml.attributes();
            if (name == QLatin1String("Template")) {
                found.append(RawTemplate());
                current = &found.last();
                current->stock.Brand = a.value(QLatin1String("brand")).toString().trimmed();
                current->stock.Part = a.value(QLatin1String("part")).toString().trimmed();
                current->stock.EquivalentOf = a.value(QLatin1String("equiv")).toString().trimmed();
                current->stock.Description = a.value(QLatin1String("_description")).toString();
                if (current->stock.Description.isEmpty())
                    current->stock.Description = a.value(QLatin1String("description")).toString();
                current->paperSize = a.value(QLatin1String("size")).toString();
                current->paperWidth = a.value(QLatin1String("width")).toString();
                current->paperHeight = a.value(QLatin1String("height")).toString();
            } else if (current && name.startsWith(QLatin1String("Label-"))) {
                inLabel = true;
                bool ok = true;
                double w = 0, h = 0;
                if (name == QLatin1String("Label-rectangle")) {
                    w = lengthOr(a, "width", ok);
                    h = lengthOr(a, "height", ok);
                    const auto r = LibraryLengthInches(a.value(QLatin1String("round")).toString());
                    current->stock.Round = r ? *r : 0;
                    current->rectangle = true;
                } else if (name == QLatin1String("Label-round")) {
                    w = h = 2 * lengthOr(a, "radius", ok);
                    current->shapeNote = QStringLiteral("round labels");
                } else if (name == QLatin1String("Label-ellipse")) {
                    w = lengthOr(a, "width", ok);
                    h = lengthOr(a, "height", ok);
                    current->shapeNote = QStringLiteral("oval labels");
                } else if (name == QLatin1String("Label-cd")) {
                    w = h = 2 * lengthOr(a, "radius", ok);
                    current->shapeNote = QStringLiteral("CD labels");
                } else {
                    current->shapeNote = QStringLiteral("die-cut labels");
                    w = lengthOr(a, "width", ok);
                    h = lengthOr(a, "height", ok);
                }
                current->stock.Width = w;
                current->stock.Height = h;
                current->cardSized = ok && w >= MinCardSide && w <= MaxCardSide && h >= MinCardSide && h <= MaxCardSide;
            } else if (current && inLabel && name == QLatin1String("Layout")) {
                if (++current->layouts == 1) {
                    bool ok = true;
                    TCardStock& s = current->stock;
                    s.Across = a.value(QLatin1String("nx")).toInt();
                    s.Down = a.value(QLatin1String("ny")).toInt();
                    s.LeftMargin = lengthOr(a, "x0", ok);
                    s.TopMargin = lengthOr(a, "y0", ok);
                    // One column or row has no pitch in some files.
                    s.HPitch = a.hasAttribute(QLatin1String("dx")) ? lengthOr(a, "dx", ok) : s.Width;
                    s.VPitch = a.hasAttribute(QLatin1String("dy")) ? lengthOr(a, "dy", ok) : s.Height;
                    if (!ok)
                        current->shapeNote = QStringLiteral("a layout this program cannot read");
                }
            }
        } else if (xml.isEndElement()) {
            if (xml.name().startsWith(QLatin1String("Label-")))
                inLabel = false;
            else if (xml.name() == QLatin1String("Template"))
                current = nullptr;
        }
    }
    if (xml.hasError()) {
        error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    out += found;
    return true;
}

bool readPapers(const QByteArray& bytes, QList<TCardStockLibrary::Paper>& papers, QString& error)
{
    QXmlStreamReader xml(bytes);
    QList<TCardStockLibrary::Paper> found;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Paper-size")) {
            const QXmlStreamAttributes a = xml.attributes();
            const auto w = LibraryLengthInches(a.value(QLatin1String("width")).toString());
            const auto h = LibraryLengthInches(a.value(QLatin1String("height")).toString());
            if (w && h) {
                QString kind = a.value(QLatin1String("pwg_size")).toString();
                if (!QRegularExpression(QStringLiteral("^[a-z0-9]+_[a-z0-9.\\-]+$")).match(kind).hasMatch())
                    kind = QStringLiteral("custom");
                found.append({ a.value(QLatin1String("id")).toString(), QSizeF(*w, *h),
                    LibraryMediaName(kind, a.value(QLatin1String("width")).toString(),
                        a.value(QLatin1String("height")).toString()) });
            }
        }
    }
    if (xml.hasError()) {
        error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    papers += found;
    return true;
}

// The paper codes of the common sheets.
std::optional<int> paperCode(const QString& id)
{
    if (id == QLatin1String("US-Letter"))
        return PaperLetter;
    if (id == QLatin1String("A4"))
        return PaperA4;
    return std::nullopt;
}

// The common sheet nearest in size, for readers that know no other.
int nearerPaperCode(const QSizeF& inches)
{
    auto distance = [&](int code) {
        const QSizeF s = PaperSizeInches(code);
        return std::abs(s.width() - inches.width()) + std::abs(s.height() - inches.height());
    };
    return distance(PaperA4) < distance(PaperLetter) ? PaperA4 : PaperLetter;
}

// A number as a media name writes it: no trailing zeros, at most four
// decimals.
QString mediaNumber(double v)
{
    return QString::number(std::round(v * 10000) / 10000, 'f', 4).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

} // namespace

std::optional<double> LibraryLengthInches(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]*\\.?[0-9]+)\\s*(in|mm|cm|pt)?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double n = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    if (unit == QLatin1String("in"))
        return n;
    if (unit == QLatin1String("mm"))
        return n / 25.4;
    if (unit == QLatin1String("cm"))
        return n / 2.54;
    return n / 72.0; // points, also when no unit is given
}

QString LibraryMediaName(const QString& kind, const QString& width, const QString& height)
{
    const auto w = LibraryLengthInches(width);
    const auto h = LibraryLengthInches(height);
    if (!w || !h || *w <= 0 || *h <= 0)
        return {};
    auto metric = [](const QString& t) {
        const QString u = t.trimmed();
        return u.endsWith(QLatin1String("mm")) || u.endsWith(QLatin1String("cm"));
    };
    const bool mm = metric(width) && metric(height);
    const double f = mm ? 25.4 : 1.0;
    const QString size = mediaNumber(*w * f) + QLatin1Char('x') + mediaNumber(*h * f)
        + (mm ? QStringLiteral("mm") : QStringLiteral("in"));
    // A custom sheet is named by its size.
    if (kind == QLatin1String("custom"))
        return kind + QLatin1Char('_') + size + QLatin1Char('_') + size;
    return kind + QLatin1Char('_') + size;
}

QString TCardStock::SearchText() const
{
    return (Brand + QLatin1Char(' ') + Part + QLatin1Char(' ') + EquivalentOf + QLatin1Char(' ')
        + Equivalents.join(QLatin1Char(' ')) + QLatin1Char(' ') + Description)
        .toLower();
}

QStringList TCardStockLibrary::DefaultFolders()
{
    QStringList folders = { QStringLiteral("/usr/share/libglabels-3.0/templates") };
    const QString user = QDir::homePath() + QStringLiteral("/.config/libglabels/templates");
    if (QDir(user).exists())
        folders << user;
    return folders;
}

TCardStockLibrary TCardStockLibrary::Load(const QStringList& folders)
{
    TCardStockLibrary library;
    QList<RawTemplate> raw;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        if (!dir.exists()) {
            qCInfo(lcCardStock, "card stock library: no folder %s", qUtf8Printable(folder));
            continue;
        }
        for (const QString& file : dir.entryList({ QStringLiteral("*.xml") }, QDir::Files, QDir::Name)) {
            const QString path = dir.filePath(file);
            const SafeReadResult read = ReadOutsideFile(path, MaxLibraryFile);
            if (!read.ok()) {
                qCWarning(lcCardStock, "card stock library: %s skipped: %s", qUtf8Printable(path),
                    qUtf8Printable(read.error));
                continue;
            }
            QString error;
            const bool ok = file == QLatin1String("paper-sizes.xml") ? readPapers(read.data, library.papers, error)
                                                                    : readTemplates(read.data, raw, error);
            if (!ok)
                qCWarning(lcCardStock, "card stock library: %s skipped: %s", qUtf8Printable(path),
                    qUtf8Printable(error));
        }
    }

    // Base products of card size first, then their equivalents.
    QHash<QString, int> byName;
    for (const RawTemplate& t : raw) {
        if (!t.stock.EquivalentOf.isEmpty() || !t.cardSized || t.stock.Brand.isEmpty() || t.stock.Part.isEmpty())
            continue;
        TCardStock s = t.stock;
        const QString id = t.paperSize;
        if (id == QLatin1String("Other") || id.isEmpty()) {
            const auto w = LibraryLengthInches(t.paperWidth);
            const auto h = LibraryLengthInches(t.paperHeight);
            s.PaperId = QStringLiteral("Other");
            s.PaperInches = w && h ? QSizeF(*w, *h) : QSizeF();
            s.PaperMedia = LibraryMediaName(QStringLiteral("custom"), t.paperWidth, t.paperHeight);
        } else if (const Paper* p = library.paper(id)) {
            s.PaperId = id;
            s.PaperInches = p->Inches;
            s.PaperMedia = paperCode(id) ? QString() : p->Media;
        } else {
            s.PaperId = id;
        }
        if (!t.shapeNote.isEmpty())
            s.Note = QStringLiteral("Not printable here: %1").arg(t.shapeNote);
        else if (t.layouts != 1)
            s.Note = QStringLiteral("Not printable here: the labels are not one regular grid (%1 layouts)")
                         .arg(t.layouts);
        else if (!paperCode(s.PaperId) && (s.PaperMedia.isEmpty() || !MediaNameInches(s.PaperMedia)))
            s.Note = QStringLiteral("Not printable here: %1 paper of no known size").arg(s.PaperId);
        else if (s.Across < 1 || s.Down < 1 || s.Across > 10 || s.Down > 30)
            s.Note = QStringLiteral("Not printable here: %1 x %2 labels").arg(s.Across).arg(s.Down);
        byName.insert((s.Brand + QLatin1Char(' ') + s.Part).toLower(), int(library.products.size()));
        library.products.append(s);
    }
    for (const RawTemplate& t : raw) {
        if (t.stock.EquivalentOf.isEmpty())
            continue;
        const auto base = byName.find((t.stock.Brand + QLatin1Char(' ') + t.stock.EquivalentOf).toLower());
        if (base == byName.end())
            continue; // the base is not a card-sized product
        TCardStock s = library.products[*base];
        library.products[*base].Equivalents << t.stock.Part;
        s.Part = t.stock.Part;
        s.EquivalentOf = t.stock.EquivalentOf;
        s.Equivalents.clear();
        if (!t.stock.Description.isEmpty())
            s.Description = t.stock.Description;
        library.products.append(s);
    }
    std::stable_sort(library.products.begin(), library.products.end(), [](const TCardStock& a, const TCardStock& b) {
        const int brand = QString::compare(a.Brand, b.Brand, Qt::CaseInsensitive);
        if (brand != 0)
            return brand < 0;
        // Shorter part numbers first: 5371 before 28371.
        if (a.Part.size() != b.Part.size())
            return a.Part.size() < b.Part.size();
        return a.Part < b.Part;
    });
    return library;
}

const TCardStockLibrary& TCardStockLibrary::Installed()
{
    static const TCardStockLibrary library = Load();
    return library;
}

QList<const TCardStock*> TCardStockLibrary::Search(const QString& typed) const
{
    const QStringList words = typed.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<const TCardStock*> found;
    for (const TCardStock& s : products) {
        const QString text = s.SearchText();
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return text.contains(w); }))
            found.append(&s);
    }
    return found;
}

const TCardStock* TCardStockLibrary::Find(const QString& name) const
{
    for (const TCardStock& s : products)
        if (s.Name().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const TCardStockLibrary::Paper* TCardStockLibrary::paper(const QString& id) const
{
    for (const Paper& p : papers)
        if (p.Id == id)
            return &p;
    return nullptr;
}

QSizeF TCardStockLibrary::PaperSize(const QString& id) const
{
    const Paper* p = paper(id);
    return p ? p->Inches : QSizeF();
}

bool ApplyCardStock(TCardLayout& layout, const TCardStock& stock)
{
    const auto code = paperCode(stock.PaperId);
    const auto sheet = MediaNameInches(stock.PaperMedia);
    if (!stock.Choosable() || (!code && !sheet))
        return false;
    // Whole thousandths of an inch, as the layout stores them.
    auto stored = [](double inches) { return StoredToLayoutLength(int(std::lround(inches * 1000))); };
    layout.Width = stored(stock.Width);
    layout.Height = stored(stock.Height);
    layout.Across = stock.Across;
    layout.Down = stock.Down;
    layout.LeftMargin = stored(stock.LeftMargin);
    layout.TopMargin = stored(stock.TopMargin);
    layout.HPitch = stored(stock.HPitch);
    layout.VPitch = stored(stock.VPitch);
    layout.Papersize = code ? *code : nearerPaperCode(*sheet);
    layout.Paper = code ? QString() : stock.PaperMedia;
    layout.CornerRadius = stored(stock.Round);
    layout.Stock = stock.Name();
    return true;
}

} // namespace bv
