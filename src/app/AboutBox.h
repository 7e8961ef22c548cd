#pragma once
// The "About Brisvale" box: program name, "32-bit version", the version
// string and an "Ok" button.
#include <QDialog>

class QLabel;
class QPushButton;

namespace bv {

// The version string the program shows.
QString ProgramVersion();

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    void reject() override;

    QLabel* ProductName = nullptr;
    QLabel* PlatformLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QPushButton* OkButton = nullptr;
};

// Shows the box modally (through the interaction seam).
void ShowAboutBox(QWidget* parent);

} // namespace bv
