#include "platform/Interaction.h"

#include "platform/DialogHooks.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace bv {

namespace {
Interaction* installed = nullptr;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}
} // namespace

QString MessageBoxTitle(const QString& caption)
{
    // Captions come in many cases ("CONFIRM", "Card Layout"); the box shows
    // them in sentence case, followed by the program's name.
    QString text = caption.trimmed();
    if (text.isEmpty())
        return QStringLiteral("Brisvale");
    text = text.toLower();
    text[0] = text[0].toUpper();
    return text + QStringLiteral(" — Brisvale");
}

namespace {
// A message box with the program's title, wide enough that the title is
// never cut short.
void prepareBox(QMessageBox& box, const QString& caption)
{
    const QString title = MessageBoxTitle(caption);
    box.setWindowTitle(title);
    const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0,
                      1, grid->columnCount());
}
} // namespace

Interaction& Interaction::Current()
{
    static QtInteraction qt;
    return installed ? *installed : qt;
}

void Interaction::Install(Interaction* interaction)
{
    installed = interaction;
}

bool QtInteraction::AskYesNo(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, message, QMessageBox::Yes | QMessageBox::No, dialogParent());
    prepareBox(box, caption);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

SaveAnswer QtInteraction::AskSaveChanges(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, message, QMessageBox::NoButton, dialogParent());
    QPushButton* save = box.addButton(QStringLiteral("&Save"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Do&n't Save"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    save->setObjectName(QStringLiteral("SaveButton"));
    discard->setObjectName(QStringLiteral("DontSaveButton"));
    cancel->setObjectName(QStringLiteral("CancelButton"));
    box.setDefaultButton(save);
    // Escape and the title-bar close press this button: they keep the work.
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    if (box.clickedButton() == discard)
        return SaveAnswer::DontSave;
    return SaveAnswer::Cancel;
}

void QtInteraction::ShowInfo(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, message, QMessageBox::Ok, dialogParent());
    prepareBox(box, caption);
    box.exec();
}

void QtInteraction::ShowError(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, dialogParent());
    prepareBox(box, caption);
    box.exec();
}

QString QtInteraction::ChooseOpenFile(const FileChoice& choice)
{
    QFileDialog dialog(dialogParent(), choice.title, choice.folder, choice.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!choice.fileName.isEmpty())
        dialog.selectFile(choice.fileName);
    if (choice.selectedFilter && !choice.selectedFilter->isEmpty())
        dialog.selectNameFilter(*choice.selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (choice.selectedFilter)
        *choice.selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString QtInteraction::ChooseSaveFile(const FileChoice& choice)
{
    QFileDialog dialog(dialogParent(), choice.title, choice.folder, choice.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!choice.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(choice.defaultSuffix);
    if (!choice.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!choice.fileName.isEmpty())
        dialog.selectFile(choice.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

namespace {
// The installed family a font's family stands for, or its own when it is
// installed under that name.
QString installedFamily(const QFont& font)
{
    const QString family = font.family();
    if (family.isEmpty() || QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        return family;
    return QFontInfo(font).family();
}
} // namespace

std::unique_ptr<QFontDialog> MakeFontDialog(const QFont& initial, const QString& title, QWidget* parent)
{
    auto dialog = std::make_unique<QFontDialog>(parent);
    dialog->setOption(QFontDialog::DontUseNativeDialog);
    dialog->setWindowTitle(title);
    QFont shown = initial;
    shown.setFamily(installedFamily(initial));
    dialog->setCurrentFont(shown);
    return dialog;
}

QFont FontChosenIn(const QFontDialog& dialog, const QFont& initial)
{
    QFont chosen = dialog.selectedFont();
    const QString family = installedFamily(initial);
    if (family != initial.family() && chosen.family().compare(family, Qt::CaseInsensitive) == 0)
        chosen.setFamily(initial.family());
    return chosen;
}

std::optional<QFont> QtInteraction::ChooseFont(const QFont& initial, const QString& title)
{
    const std::unique_ptr<QFontDialog> dialog = MakeFontDialog(initial, title, dialogParent());
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChosenIn(*dialog, initial);
}

std::optional<QColor> QtInteraction::ChooseColour(const QColor& initial, const QString& title)
{
    QColor colour = QColorDialog::getColor(initial, dialogParent(), title);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

int QtInteraction::RunModal(QDialog& dialog)
{
    // Every dialog opens centred over the main window, at the size its
    // contents ask for (placing it before it had a size put some over the
    // card). A dialog that keeps a place of its own restores it when shown.
    if (!dialog.testAttribute(Qt::WA_Resized) && !dialog.isVisible())
        dialog.adjustSize();
    PlaceDialog(dialog);
    return dialog.exec();
}

void QtInteraction::Beep()
{
    QApplication::beep();
}

} // namespace bv
