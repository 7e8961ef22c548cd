#pragma once
// The "Printer Setup" dialog: which printer the sheets go to (with its
// state, kind and place), the paper size and the orientation. "Properties..."
// opens the platform's page setup for the chosen printer; what it sets for
// paper and orientation comes back into this dialog.
//
//     TPageSetupDialog dialog(parent);
//     dialog.SetSettings(engine.PrinterName(), engine.OutputFileName(),
//                        engine.PageSize(), engine.Orientation());
//     if (Interaction::Current().RunModal(dialog) == mrOk)
//         ... dialog.PrinterName(), dialog.PageSize(), dialog.Orientation()
//
// The printers come from PrinterList::Current(), so tests can fake them.
#include <QDialog>
#include <QList>
#include <QPageSize>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace bv {

class TPageSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPageSetupDialog(QWidget* parent = nullptr);

    // The settings the dialog starts from. A printer the list does not hold
    // gives way to the default printer (or the first). With an output file
    // the list starts with that file, selected.
    void SetSettings(const QString& printerName, const QString& outputFile, const QPageSize& size,
                     int orientation);

    // The chosen printer; empty when the output file stays chosen (or there
    // is no printer at all).
    QString PrinterName() const;
    QPageSize PageSize() const;
    // poPortrait or poLandscape.
    int Orientation() const;

    // Handlers.
    void PrinterComboChange();
    void PropertiesButtonClick();
    void OrientationClick();
    void OkButtonClick();
    void reject() override;

    QComboBox* PrinterCombo = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* TypeLabel = nullptr;
    QLabel* WhereLabel = nullptr;
    QPushButton* PropertiesButton = nullptr;
    QComboBox* PaperSizeCombo = nullptr;
    QLabel* OrientationPicture = nullptr;
    QRadioButton* PortraitButton = nullptr;
    QRadioButton* LandscapeButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    void fillPrinters(const QString& printerName);
    // Letter and A4 first, then the other sheets of the printer; keeps the
    // given size selected (added when the printer does not list it).
    void fillPaperSizes(const QPageSize& keep);
    void selectPaperSize(const QPageSize& size);
    void showDetails();

    QString outputFile;
    QString defaultName;
    QList<QPageSize> sizes; // one per PaperSizeCombo item
};

} // namespace bv
