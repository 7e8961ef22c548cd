#include "objects/BusinessCardLabel.h"

#include "objects/GetLabelText.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace bv {

TGBusinessCardLabel::TGBusinessCardLabel() = default;

TDesignModel* TGBusinessCardLabel::design() const
{
    return Parent();
}

void TGBusinessCardLabel::CaptureMenuState()
{
    TGPLabel::CaptureMenuState();
    personalInfoDue = design() != nullptr;
}

QMenu* TGBusinessCardLabel::PersonalInfoMenu()
{
    ContextMenu();
    return personalInfoMenu;
}

void TGBusinessCardLabel::BuildContextMenu(QMenu& menu)
{
    TGPLabel::BuildContextMenu(menu);
    if (!personalInfoDue)
        return;
    const QList<QAction*> items = menu.actions();
    QAction* first = items.isEmpty() ? nullptr : items.first();
    personalInfoMenu = new QMenu(QStringLiteral("Personal Information"), &menu);
    menu.insertMenu(first, personalInfoMenu);
    if (first)
        menu.insertSeparator(first);
    else
        menu.addSeparator();
    rebuildPersonalInfoMenu();
}

void TGBusinessCardLabel::rebuildPersonalInfoMenu()
{
    if (!personalInfoMenu)
        return;
    personalInfoMenu->clear();
    TPersonalInfo info;
    if (TDesignModel* panel = design())
        info = panel->PersonalInfo();
    const std::pair<const char*, const QString*> fields[] = { { "Name", &info.Name },
        { "Company", &info.Company }, { "Title", &info.Title }, { "Address 1", &info.Address1 },
        { "Address 2", &info.Address2 }, { "Address 3", &info.Address3 }, { "Phone 1", &info.Phone1 },
        { "Phone 2", &info.Phone2 }, { "EMail", &info.Email }, { "Fax", &info.Fax } };
    for (const auto& [name, value] : fields) {
        const QString itemCaption = QString::fromLatin1(name) + QLatin1Char('\t') + *value;
        // Menus read '&' as a mnemonic marker; the item keeps its real caption
        // as data so that the text taken from it is the stored value.
        QString shown = itemCaption;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = personalInfoMenu->addAction(shown);
        item->setData(itemCaption);
        connect(item, &QAction::triggered, this, [this, itemCaption] { ChoosePersonalInfo(itemCaption); });
    }
}

void TGBusinessCardLabel::UpdateMenuChecks()
{
    // Setting check marks needs the items: a call before the first popup
    // builds the menu.
    ContextMenu();
    rebuildPersonalInfoMenu();
    TGPLabel::UpdateMenuChecks();
}

void TGBusinessCardLabel::ChoosePersonalInfo(const QString& itemCaption)
{
    const int tab = itemCaption.indexOf(QLatin1Char('\t'));
    const QString text = tab < 0 ? QString() : itemCaption.mid(tab + 1);
    SetCaption(text.left(255));
    GrowToCaption();
    NotifyChanged();
    Invalidate();
}

void TGBusinessCardLabel::EditText()
{
    TGetBCLabelText dialog;
    TPersonalInfo info;
    if (TDesignModel* panel = design())
        info = panel->PersonalInfo();
    dialog.FillPersonalInfo(info);
    dialog.LabelText->setText(Caption());
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return;
    SetCaption(dialog.LabelText->text());
    GrowToCaption();
    Invalidate();
}

TGBusinessCardLabel* CreateTextLabel(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    label->Loaded();
    label->SetCaption(QStringLiteral("Text"));
    label->SetFont(panel.PanelFont());
    panel.AddObject(label, r);
    label->EditText();
    label->GrowToCaption();
    return label;
}

namespace {
// The stream leaves an empty caption out, so a label made for reading starts
// with an empty one: a blank label stays blank when it is opened, pasted or
// cloned instead of coming back as "Text".
template <class Label>
TGGraphicControl* labelForReading()
{
    auto* label = new Label;
    label->SetLoading(true);
    label->SetCaption(QString());
    label->SetLoading(false);
    return label;
}
} // namespace

void RegisterLabelClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGPLabel"), [] { return labelForReading<TGPLabel>(); } },
            { QStringLiteral("TGBusinessCardLabel"), [] { return labelForReading<TGBusinessCardLabel>(); } } },
        .tools = { { .state = psLabel, .button = "DrawLabelButton", .hint = QStringLiteral("Text tool"),
            .menuCaption = QStringLiteral("&Text"), .iconName = QStringLiteral("label"), .group = 1, .order = 10,
            .create = [](TGBusinessCardPanel32& panel, const TRect& r) { CreateTextLabel(panel, r); } } },
    });
}

} // namespace bv
