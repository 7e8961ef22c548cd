#pragma once
// The print status window: shows one sheet job (TSheetJob) to the user. The
// job runs when the window is first shown; the window shows its page and
// card, Cancel (printing, with confirmation) or Stop (preview) cancels it,
// and at the end the button becomes "OK", which closes the window.
//
//     TSheetJob job;                         // filled in as its header says
//     TLabelPrinter status(job);
//     Interaction::Current().RunModal(status);   // the job runs inside
#include <QDialog>

class QLabel;
class QPushButton;

namespace bv {

class TSheetJob;

class TLabelPrinter : public QDialog {
    Q_OBJECT
public:
    // FormCreate: controls; the job runs on the first activation. The job
    // outlives the window.
    explicit TLabelPrinter(TSheetJob& job, QWidget* parent = nullptr);
    ~TLabelPrinter() override;

    TSheetJob& Job() const { return job; }

    // ---- Handlers -------------------------------------------------------------
    // First activation: runs the whole job and shows the final status.
    void FormActivate();
    void CancelButtonClick();

    // ---- State after the job ------------------------------------------------------
    // The job ran and its final status is shown.
    bool JobFinished() const { return finished; }

    QLabel* RStatusLabel = nullptr;
    QLabel* Extralabel = nullptr;
    QPushButton* CancelButton = nullptr;

    // Escape and the title bar's close button act as the status button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void finishStatus();

    TSheetJob& job;
    bool activated = false;
    bool finished = false;
};

} // namespace bv
