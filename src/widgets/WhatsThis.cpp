#include "widgets/WhatsThis.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWhatsThis>

namespace bv {

namespace {

// The widget whose what's-this text a child shows: a combo box's own line
// edit and a spin box's line edit speak for their owner.
QWidget* owner(QWidget* w)
{
    QWidget* p = w->parentWidget();
    if (p && (qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p)) && w->whatsThis().isEmpty())
        return p;
    return w;
}

class WhatsThisMenuFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || owner(w)->whatsThis().isEmpty())
            return false;
        auto* e = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = CreateWhatsThisMenu(w);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(e->globalPos());
        return true;
    }
};

} // namespace

QToolButton* CreateWhatsThisButton(QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("MouseHelpButton"));
    button->setText(QStringLiteral("?"));
    button->setToolTip(QStringLiteral("What's this?"));
    button->setWhatsThis(QStringLiteral("Click here, then click any item to see what it does."));
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, button, [] { QWhatsThis::enterWhatsThisMode(); });
    return button;
}

QMenu* CreateWhatsThisMenu(QWidget* control)
{
    QMenu* menu = nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        menu = edit->createStandardContextMenu();
        menu->addSeparator();
    } else {
        menu = new QMenu(control);
    }
    menu->setObjectName(QStringLiteral("WhatsThisMenu"));
    QAction* action = menu->addAction(QStringLiteral("What's this?"));
    action->setObjectName(QStringLiteral("WhatsThisAction"));
    QWidget* target = owner(control);
    QObject::connect(action, &QAction::triggered, target, [target] {
        ShowWhatsThis(target, target->mapToGlobal(QPoint(target->width() / 2, target->height() / 2)));
    });
    return menu;
}

void ShowWhatsThis(QWidget* control, const QPoint& globalPos)
{
    QWhatsThis::showText(globalPos, owner(control)->whatsThis(), control);
}

void InstallWhatsThisMenus(QWidget* root)
{
    auto* filter = new WhatsThisMenuFilter(root);
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (!owner(w)->whatsThis().isEmpty() && w != root)
            w->installEventFilter(filter);
    }
}

} // namespace bv
