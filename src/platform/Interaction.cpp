#include "platform/Interaction.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace bv {

namespace {
Interaction* installed = nullptr;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
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
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtInteraction::ShowInfo(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, message, QMessageBox::Ok, dialogParent());
    box.exec();
}

void QtInteraction::ShowError(const QString& message, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, dialogParent());
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

std::optional<QFont> QtInteraction::ChooseFont(const QFont& initial, const QString& title)
{
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, initial, dialogParent(), title);
    if (!ok)
        return std::nullopt;
    return font;
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
    return dialog.exec();
}

void QtInteraction::Beep()
{
    QApplication::beep();
}

} // namespace bv
