#pragma once
// The companion file of a design (.QRE next to the .QRD): an INI file with the
// background picture's path and the card layout as the design was saved.
// Older companion files are plain text whose first line is the background
// path. This works on the stored values only; turning them into the card
// layout record is the application's business.
#include "platform/Numeric.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace bv {

// The layout values as the companion file stores them: lengths in
// thousandths of an inch.
struct CompanionLayout {
    int height = 2000;
    int width = 3500;
    int topMargin = 500;
    int leftMargin = 750;
    int hPitch = 3500;
    int vPitch = 2000;
    int predefLayout = 0;
    int paperSize = 1;
    int across = 2;
    int down = 5;
    bool useMM = false;
    bool usePortrait = false;
    // The card stock product of the template library and the corner radius
    // of its cards (thousandths of an inch); written only when set, so older
    // readers and designs without them see the file they know.
    QString stock;
    int cornerRadius = 0;
    // A sheet other than Letter and A4 by its media name (paperSize then
    // holds the nearer of the two); written only when set.
    QString paper;

    bool operator==(const CompanionLayout&) const = default;
};

// What a companion file gave.
struct CompanionData {
    bool exists = false;    // the file was there
    bool isIni = false;     // [Ini Data] ISINI was true: background and layout are valid
    bool unreadable = false; // there, but could not be read (message in `error`)
    QString error;
    QString background;     // background picture path (also from an older plain-text file)
    CompanionLayout layout; // defaults unless isIni
    QByteArray design;      // fingerprint of the design saved with it (empty: not recorded)
};

// Stored thousandths of a length in inches: Round(inches × 1000), halves to even.
int InchesToThousandths(Single inches);
// A stored value back to inches: value × 0.001 in single precision.
Single ThousandthsToInches(int thousandths);

// The companion path of a design: its extension replaced by ".QRE" (added
// when it has none).
QString CompanionPath(const QString& designPath);

// Writes the companion file in the documented key order, replacing any older
// file. The new file is written beside the old one and renamed over it, so a
// failed write leaves the old file as it was. Failures raise EWriteError.
// With a design fingerprint, a [Pair] section records it after the layout
// (readers that do not know the section skip it).
void WriteCompanionFile(const QString& path, const QString& background, const CompanionLayout& layout,
    const QByteArray& designFingerprint = QByteArray());

// The design pair as one save. A design and its companion are renamed one
// after the other, so a process killed between the two renames, or two
// processes saving the same pair at once, could leave the objects of one save
// with the layout of another. So:
// - writers hold the folder's exclusive lock (FolderLock) for the whole save,
//   and readers its shared lock, so two saves never interleave;
// - the new companion records the fingerprint of its design and waits under
//   a fixed name beside it (PendingCompanionPath) while the design is renamed
//   into place, then takes the companion's name. The design's rename is the
//   moment the save happens: a reader that finds a waiting companion whose
//   fingerprint is the design's takes it (the save was cut short after that
//   moment), and one that does not match is left over from a save cut short
//   before it and is ignored.
// Both files keep their format; the fingerprint is an added INI section.
QByteArray DesignFingerprint(const QByteArray& designBytes);
QString PendingCompanionPath(const QString& designPath);
// Writes the pair: `writeDesign` writes the design file at the path it is
// given through AtomicFile (it joins the pair's batch), then the companion.
// Raises EWriteError; on failure before the design's rename the old pair
// stays whole.
void WriteDesignPair(const QString& designPath, const std::function<void(const QString&)>& writeDesign,
    const QString& background, const CompanionLayout& layout);
// The companion that belongs to the design file as it stands (see above).
// The caller holds the folder's shared lock while it reads both files.
CompanionData ReadPairedCompanion(const QString& designPath);

// Holds stored layout values to the limits of the layout dialog: counts of
// 1 to 10 across and 1 to 30 down, a card of at least 0.3 × 0.5 inch, every
// length from 0 to 99 inches.
void ClampCompanionLayout(CompanionLayout& layout);

// Reads a companion file. Layout values are held to the dialog's limits
// (ClampCompanionLayout). With ISINI true: the background path and every
// layout value (a missing or non-numeric key gives its default). Otherwise,
// when the file exists, its first text line (if any) is the background path
// and the layout is not given. Reading never fails.
CompanionData ReadCompanionFile(const QString& path);

} // namespace bv
