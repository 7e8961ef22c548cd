#pragma once
// The "Print Cards" dialog: a one-fifth sketch of the sheet on which the
// user picks the card positions to print (red = selected), the number of
// sheets and the printer.
#include "document/CardLayout.h"
#include "printing/Imposition.h"
#include "printing/MergeCards.h"

#include <QDialog>
#include <QRadioButton>
#include <QRect>
#include <QVector>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace bv {

class TPagePrinter;
class TSelectSpecificLabels;

// The sketch area: paints the sheet and the positions, and turns presses
// into toggles.
class TSheetSketch : public QWidget {
    Q_OBJECT
public:
    explicit TSheetSketch(TSelectSpecificLabels& dialog, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TSelectSpecificLabels& dialog;
};

class TSelectSpecificLabels : public QDialog {
    Q_OBJECT
public:
    explicit TSelectSpecificLabels(QWidget* parent = nullptr);

    // What DoPageSetup hands over: the layout (paper, size, counts, margins,
    // pitches) and a copy of the selection. The sheet is 8.5 × 11 inches for
    // Letter, 8.268 × 11.69 otherwise.
    void SetSheet(const TCardLayout& layout, const TCardSelection& selection);
    // The printer whose name is shown and whose setup "Print &Setup" opens;
    // on "Ok" it is set to portrait and asked for `pages` copies. May be none.
    TPagePrinter* Printer = nullptr;

    TCardSelection Selected = AllCardsSelected();

    // ---- Merge -------------------------------------------------------------------
    // "Merge: none / file...": the records, the first and last record and
    // the copies of each. Choosing "file..." reads the file at once, so a
    // file that cannot be used is reported here and nothing changes.
    void SetMerge(const TMergeChoice& choice);
    TMergeChoice Merge() const;
    // The message for a design field the file cannot fill, or empty; "Ok"
    // stays open while there is one.
    std::function<QString(const TMergeTable&)> CheckMerge;
    QComboBox* MergeCombo = nullptr;
    QLabel* MergeRecordsLabel = nullptr;
    QSpinBox* MergeFirst = nullptr;
    QSpinBox* MergeLast = nullptr;
    QSpinBox* MergeCopies = nullptr;
    QLabel* MergeSheetsLabel = nullptr;
    TCardLayout Layout;
    double SheetWidth = 8.5;
    double SheetHeight = 11.0;
    // Screen pixels per inch of the sketch (ScreenPpi() at creation).
    int Ppi = 96;

    // First activation: computes the sketch rectangles and shows the printer.
    void FormActivate();
    // Sketch rectangle of a position (c + r × across), sketch coordinates,
    // right and bottom exclusive; empty before FormActivate.
    QRect PositionRect(int index) const;
    QRect SheetRect() const;
    // A press at p in the sketch: toggles the first position hit in each row.
    void PaintBoxMouseDown(const QPoint& p);
    void AllButtonClick();
    void NoneButtonClick();
    void PrintSetupClick();
    void OkButtonClick();
    void reject() override;

    TSheetSketch* PaintBox1 = nullptr;
    QLabel* PrinterLabel = nullptr;
    QPushButton* PrintSetupButton = nullptr;
    QSpinBox* pages = nullptr;
    // Crop marks in the margin at the cut lines; a bleed beyond each card.
    QCheckBox* CropMarksCheck = nullptr;
    QCheckBox* BleedCheck = nullptr;
    // Offered when the design has a back: the back on the sheets' other
    // side, for a sheet turned about its long or its short edge.
    QCheckBox* BothSidesCheck = nullptr;
    QRadioButton* LongEdgeRadio = nullptr;
    QRadioButton* ShortEdgeRadio = nullptr;
    // The back design's path; empty: none, and both sides are not offered.
    void SetBackFile(const QString& path);
    QPushButton* AllButton = nullptr;
    QPushButton* NoneButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class TSheetSketch;
    void showPrinterName();
    void layoutSketch();
    int positions() const;
    void mergeChosen(int item);
    void showMerge();

    std::shared_ptr<const TMergeTable> mergeTable;

    QScrollArea* sketchScroller = nullptr;
    QVector<QRect> rects;
    bool activated = false;
};

} // namespace bv
