#include "objects/PLabel.h"

#include "objects/GetLabelText.h"
#include "platform/Interaction.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace bv {

TGPLabel::TGPLabel() = default;

void TGPLabel::EditFont()
{
    TGBaseLabel::EditFont();
    GrowToCaption();
}

void TGPLabel::EditText()
{
    TGetLabelText dialog;
    dialog.LabelText->setText(Caption());
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return;
    SetCaption(dialog.LabelText->text());
    GrowToCaption();
    Invalidate();
}

QAction* TGPLabel::TextItem()
{
    ContextMenu();
    return textItem;
}

void TGPLabel::BuildContextMenu(QMenu& menu)
{
    TGBaseLabel::BuildContextMenu(menu);
    menu.addSeparator();
    // Virtual: the business-card label puts its own dialog behind this item.
    textItem = AddMenuItem(menu, QStringLiteral("Text"), [this] { EditText(); });
    textItem->setData(TextItemTag);
    menu.addSeparator();
    AddRotationMenu(menu);
}

} // namespace bv
