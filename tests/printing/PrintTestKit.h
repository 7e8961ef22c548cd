#pragma once
// Shared pieces of the print job tests: design objects that print a filled
// rectangle (or fail), a panel at 96 pixels per inch, scripted handling of
// the status window, and reading a PDF back as pixels with pdftoppm.
#include "pageengine/PageEngine.h"
#include "platform/Errors.h"
#include "printing/LabelPrinter.h"
#include "surface/BusinessCardPanel.h"
#include "surface/GraphicControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <functional>

namespace bv::test {

constexpr double kPpi = 96.0;

// A design object that prints itself as a solid rectangle of its bounds:
// (left + Left / 96, top + Top / 96) to (... + Width / 96, ... + Height / 96).
class PrintBox : public TGGraphicControl {
public:
    QString ClassName() const override { return className; }
    bool InheritsClass(const QString& name) const override
    {
        return name == className || TGGraphicControl::InheritsClass(name);
    }
    bool IsEffectObject() const override { return effect; }
    void PrintTo(TPageEngine& report, double left, double top) override
    {
        ++prints;
        if (onPrint)
            onPrint(report, left, top);
        if (failing)
            throw EConvertError(QStringLiteral("Picture damaged"));
        report.SetBrush(fill, PageStyle::bsSolid);
        report.SetPen(fill, PageStyle::psClear, 1);
        report.Rectangle(left + Left() / kPpi, top + Top() / kPpi, left + (Left() + Width()) / kPpi,
                         top + (Top() + Height()) / kPpi);
    }
    TColor fill = 0x00FF0000; // blue (0x00BBGGRR)
    QString className = QStringLiteral("TestPrintBox");
    bool effect = false; // prints as slowly as a SuperShape would
    bool failing = false;
    int prints = 0;
    std::function<void(TPageEngine&, double, double)> onPrint;
};

inline PrintBox* addPrintBox(TGBasePanel& panel, int l, int t, int w, int h)
{
    auto* b = new PrintBox;
    b->SetParent(&panel);
    b->SetBounds(l, t, w, h);
    b->Loaded();
    panel.AttachObject(b);
    QCoreApplication::processEvents();
    return b;
}

// The status window as a user meets it: the job runs on activation, then
// the (now "OK") button closes it.
inline int runStatusWindow(QDialog& dialog)
{
    auto* status = qobject_cast<TLabelPrinter*>(&dialog);
    if (!status)
        return 0;
    status->FormActivate();
    if (!status->JobFinished())
        return 0;
    QTest::mouseClick(status->CancelButton, Qt::LeftButton);
    return status->result();
}

// Colour tests: "ink" is anything clearly not white.
inline bool isInk(QRgb c)
{
    return qRed(c) < 200 || qGreen(c) < 200 || qBlue(c) < 200;
}
inline bool isBlue(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100;
}

// First and last column (or row) in [from, to) where pred holds along a
// line of the image; -1 when none.
inline int firstX(const QImage& img, int y, int from, int to, const std::function<bool(QRgb)>& pred)
{
    for (int x = std::max(0, from); x < std::min(to, img.width()); ++x)
        if (pred(img.pixel(x, y)))
            return x;
    return -1;
}
inline int lastX(const QImage& img, int y, int from, int to, const std::function<bool(QRgb)>& pred)
{
    for (int x = std::min(to, img.width()) - 1; x >= std::max(0, from); --x)
        if (pred(img.pixel(x, y)))
            return x;
    return -1;
}
inline int firstY(const QImage& img, int x, int from, int to, const std::function<bool(QRgb)>& pred)
{
    for (int y = std::max(0, from); y < std::min(to, img.height()); ++y)
        if (pred(img.pixel(x, y)))
            return y;
    return -1;
}
inline int lastY(const QImage& img, int x, int from, int to, const std::function<bool(QRgb)>& pred)
{
    for (int y = std::min(to, img.height()) - 1; y >= std::max(0, from); --y)
        if (pred(img.pixel(x, y)))
            return y;
    return -1;
}

inline bool havePdftoppm()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// Every page of a PDF at `dpi`, as images (empty when it cannot be read).
inline QList<QImage> rasterizePdf(const QString& pdf, int dpi)
{
    QList<QImage> pages;
    const QString prefix = pdf + QStringLiteral(".page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         pdf, prefix});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return pages;
    QDir dir = QFileInfo(pdf).dir();
    QStringList names = dir.entryList({QFileInfo(prefix).fileName() + QStringLiteral("-*.png")}, QDir::Files,
                                      QDir::Name);
    for (const QString& n : names)
        pages.append(QImage(dir.filePath(n)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

} // namespace bv::test
