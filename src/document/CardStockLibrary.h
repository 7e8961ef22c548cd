#pragma once
// Card stock by brand and part number, from the label-template library that
// Linux systems install (the glabels-data XML files: products, their
// equivalent part numbers, paper sizes). Read at run time with Qt's XML
// stream reader; nothing of it is kept in this program. Only rectangular
// products of card size (1.5 to 4.5 inches each way) are offered; those
// whose sheet is not one regular grid, or whose labels are round, are listed
// with a note and cannot be chosen.
#include "document/CardLayout.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace bv {

struct TCardStock {
    QString Brand;
    QString Part;
    QString Description;
    // The part this one is the same as ("equiv"), empty for a base product.
    QString EquivalentOf;
    // Base products: the parts that are the same as this one.
    QStringList Equivalents;
    QString PaperId;
    QSizeF PaperInches;
    // The sheet's self-describing media name ("iso_b4_250x353mm",
    // "custom_100x148mm_100x148mm") for sheets other than Letter and A4.
    QString PaperMedia;
    // Geometry in inches, exactly as the file gives it.
    double Width = 0, Height = 0, Round = 0;
    int Across = 0, Down = 0;
    double LeftMargin = 0, TopMargin = 0, HPitch = 0, VPitch = 0;
    // Empty when the product can be chosen; otherwise why not.
    QString Note;

    QString Name() const { return Brand + QLatin1Char(' ') + Part; }
    bool Choosable() const { return Note.isEmpty(); }
    // The text the search looks in: brand, part, equivalents, description.
    QString SearchText() const;
};

class TCardStockLibrary {
public:
    // The folders read by default: the installed library and the user's own
    // template folder (~/.config/libglabels/templates) when present.
    static QStringList DefaultFolders();
    // Reads every *.xml of the folders (paper-sizes.xml of the first folder
    // that has one gives the papers). A file that cannot be read or is not
    // well-formed is left out with a message in the log.
    static TCardStockLibrary Load(const QStringList& folders = DefaultFolders());
    // The library of the default folders, read once.
    static const TCardStockLibrary& Installed();

    const QList<TCardStock>& Products() const { return products; }
    bool IsEmpty() const { return products.isEmpty(); }
    // Case-insensitive; every word typed must occur ("avery 53").
    QList<const TCardStock*> Search(const QString& typed) const;
    // By name ("Avery 8371"), letter case ignored; nullptr when unknown.
    const TCardStock* Find(const QString& name) const;
    // Paper sizes of the library by id, in inches.
    QSizeF PaperSize(const QString& id) const;

    // A paper of the library: its size and its media name.
    struct Paper {
        QString Id;
        QSizeF Inches;
        QString Media;
    };

private:
    const Paper* paper(const QString& id) const;

    QList<TCardStock> products;
    QList<Paper> papers;
};

// A length of the library ("3.5in", "89mm", "2.54cm", "72pt", "72") in inches;
// nothing when it is not one.
std::optional<double> LibraryLengthInches(const QString& text);

// The self-describing media name of a sheet from its class ("iso_b4",
// "custom") and its sides as the library writes them ("250mm", "8.5in",
// "612pt"): millimetres when both are given in millimetres or centimetres,
// inches otherwise. Empty when a side is not a length.
QString LibraryMediaName(const QString& kind, const QString& width, const QString& height);

// Puts a product into a layout: across, down, margins, pitches, card size,
// paper (a sheet other than Letter and A4 as the layout's Paper, with the
// nearer of the two as its paper code); the product's name becomes the
// layout's stock name. False for a
// product that cannot be chosen (layout untouched).
bool ApplyCardStock(TCardLayout& layout, const TCardStock& stock);

} // namespace bv
