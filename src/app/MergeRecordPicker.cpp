#include "app/MergeRecordPicker.h"

#include "platform/Interaction.h"
#include "platform/MergeSource.h"
#include "printing/PrintCommands.h"
#include "surface/DesignModel.h"
#include "surface/MergeFields.h"

namespace bv {

TMergeRecordPicker::TMergeRecordPicker(TDesignModel& p, TPrintCommands& c, QWidget* parent)
    : QComboBox(parent), panel(p), printing(c)
{
    setObjectName(QStringLiteral("MergeRecordPicker"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(16);
    setToolTip(QStringLiteral("Show the fields of the design, or the card of one record of the merge file"));
    setWhatsThis(QStringLiteral("Texts may hold fields such as {Name} or {Phone}. Choose a record of the merge "
                                "file to see its card, or {Fields} to see the fields as typed."));
    listed = this; // forces the first fill
    Refresh();
    connect(this, &QComboBox::activated, this, [this](int item) { chosen(item); });
    printing.MergeChanged = [this] { Refresh(); };
}

void TMergeRecordPicker::Refresh()
{
    const TMergeTable* table = panel.MergeTable();
    if (listed == table) {
        setCurrentIndex(panel.MergeRecord() + 1);
        return;
    }
    listed = table;
    clear();
    addItem(QStringLiteral("{Fields}"));
    if (table) {
        for (int r = 0; r < table->RecordCount(); ++r)
            addItem(QStringLiteral("%1: %2").arg(r + 1).arg(MergeRecordCaption(*table, r)));
    }
    addItem(QStringLiteral("Merge file..."));
    setCurrentIndex(panel.MergeRecord() + 1);
}

void TMergeRecordPicker::showPopup()
{
    Refresh();
    QComboBox::showPopup();
}

void TMergeRecordPicker::chosen(int item)
{
    if (item == count() - 1) {
        chooseFile();
        return;
    }
    panel.SetMergeRecord(item - 1);
}

void TMergeRecordPicker::chooseFile()
{
    FileChoice files;
    files.title = QStringLiteral("Merge File");
    files.filter = QStringLiteral("Contact lists (*.csv *.txt *.tsv *.vcf);;All files (*)");
    const QString path = Interaction::Current().ChooseOpenFile(files);
    if (!path.isEmpty()) {
        try {
            auto table = std::make_shared<const TMergeTable>(ReadMergeFile(path));
            panel.SetMergeTable(table);
            TMergeChoice merge;
            merge.Table = table;
            printing.Merge = merge; // the Print dialog starts with it
            Refresh();
            // The first record's card at once: that is what the file is for.
            if (table->RecordCount() > 0) {
                panel.SetMergeRecord(0);
                setCurrentIndex(1);
            }
            return;
        } catch (const Exception& e) {
            Interaction::Current().ShowError(e.message(), QStringLiteral("Merge"));
        }
    }
    setCurrentIndex(panel.MergeRecord() + 1);
}

} // namespace bv
