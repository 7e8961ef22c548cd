#pragma once
// The "Business Card Layout" dialog: edits a copy of a card layout record in
// inches or millimetres, with the predefined layouts of common card stock.
#include "document/CardLayout.h"

#include <QDialog>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace bv {

class NumericEdit;
class TCardStockLibrary;
struct TCardStock;

class TEditCardLayout : public QDialog {
    Q_OBJECT
public:
    explicit TEditCardLayout(QWidget* parent = nullptr);

    // The dialog's copy of the record: the caller fills it before showing
    // the dialog (SetLayout also checks MMButton for UseMM) and reads it
    // back after "Ok". Only the controls change until "Ok" is pressed.
    TCardLayout Layout;
    void SetLayout(const TCardLayout& layout);

    // First activation (runs once, when the dialog is first shown): selects
    // the PredefLayout entry without applying it and fills the controls.
    void FormActivate();
    // A predefined layout was chosen in the list.
    void PredefinedLayoutsChange();
    // "Ok": commits the edits, takes the values into Layout and closes with
    // mrOk when ValidCard passes.
    void OkButtonClick();
    // Checks Layout; shows the first failure and answers false.
    bool ValidCard();

    void reject() override;

    QComboBox* PredefinedLayouts = nullptr;
    QRadioButton* Inchesbutton = nullptr;
    QRadioButton* MMButton = nullptr;
    NumericEdit* eCardwidth = nullptr;
    NumericEdit* eCardHeight = nullptr;
    NumericEdit* eHorizPitch = nullptr;
    NumericEdit* eVertPitch = nullptr;
    NumericEdit* eleftmarg = nullptr;
    NumericEdit* etopmarg = nullptr;
    QSpinBox* enbracross = nullptr;
    QSpinBox* enbrdown = nullptr;
    QComboBox* epapersize = nullptr;
    QRadioButton* eLandscape = nullptr;
    QRadioButton* ePortrait = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
    // Card stock of the label-template library: the search field, the
    // products grouped by brand, and what was chosen (or where more come
    // from when the library is missing).
    QLineEdit* StockSearch = nullptr;
    QTreeWidget* StockList = nullptr;
    QLabel* StockInfo = nullptr;

    // The library the list offers (the installed one unless a test gives
    // another); rebuilds the list.
    void SetCardStockLibrary(const TCardStockLibrary* library);
    // A product was clicked: a choosable one fills the layout.
    void StockChosen(QTreeWidgetItem* item);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QList<NumericEdit*> lengthEdits() const;
    QList<Single> lengths() const;
    void fillControls(bool keepOrientation);
    void useInchSettings(NumericEdit* edit);
    void useMillimetreSettings(NumericEdit* edit);
    void switchToMillimetres();
    void switchToInches();

    void fillStockList();
    void showStock();
    const TCardStock* stockOf(const QTreeWidgetItem* item) const;

    const TCardStockLibrary* stockLibrary = nullptr;
    // The layout as the chosen product gave it: an edit that changes it
    // makes the layout no longer that product's.
    std::optional<TCardLayout> stockLayout;
    QList<QWidget*> sketches;
    bool activated = false;
    bool filling = false;
    bool valueRefused = false;
};

// Runs the dialog on a layout (centred, modal through the interaction
// seam). On "Ok" the layout takes the dialog's values, UseMM and Portrait,
// and the answer is true; otherwise the layout is untouched.
bool EditCardLayout(TCardLayout& layout, QWidget* parent = nullptr);

} // namespace bv
