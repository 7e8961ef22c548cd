#pragma once
// The record picker of the tool palette: the card shows its merge fields as
// typed ("{Fields}") or the values of one record of the merge file, which
// the Print dialog or the picker's own "Merge file..." entry chose.
#include <QComboBox>

namespace bv {

class TDesignModel;
class TPrintCommands;

class TMergeRecordPicker : public QComboBox {
    Q_OBJECT
public:
    TMergeRecordPicker(TDesignModel& panel, TPrintCommands& printing, QWidget* parent = nullptr);

    // Fills the list from the panel's merge file (when it changed).
    void Refresh();
    void showPopup() override;

private:
    void chosen(int item);
    void chooseFile();

    TDesignModel& panel;
    TPrintCommands& printing;
    const void* listed = nullptr; // the table the list was made from
};

} // namespace bv
