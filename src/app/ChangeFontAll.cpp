#include "app/ChangeFontAll.h"

#include "app/FontListBox.h"
#include "objects/DialogButtons.h"
#include "platform/Interaction.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

TChangeFontAll::TChangeFontAll(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ChangeFontAll"));
    setWindowTitle(QStringLiteral("Select A Font - All text items will be changed to this font"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    FontListBox1 = new TFontListBoxx(this);
    FontListBox1->setObjectName(QStringLiteral("FontListBox1"));
    FontListBox1->setWhatsThis(QStringLiteral("The installed fonts. Click one to see it in the samples."));
    FontListBox1->setMinimumSize(230, 260);

    auto makeSample = [this](const char* name, const QString& text, bool bold, bool italic) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        QFont f = l->font();
        f.setPointSize(14);
        f.setBold(bold);
        f.setItalic(italic);
        l->setFont(f);
        l->setMinimumWidth(260);
        l->setWhatsThis(QStringLiteral("The chosen font as it looks."));
        return l;
    };
    Sample = makeSample("Sample", QStringLiteral("Sample"), false, false);
    SampleBold = makeSample("SampleBold", QStringLiteral("Sample Bold"), true, false);
    SampleItalic = makeSample("SampleItalic", QStringLiteral("Sample Italic"), false, true);
    SampleBoldItalic = makeSample("SampleBoldItalic", QStringLiteral("Sample Bold Italic"), true, true);

    auto* samples = new QVBoxLayout;
    for (QLabel* l : { Sample, SampleBold, SampleItalic, SampleBoldItalic })
        samples->addWidget(l);
    samples->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(FontListBox1);
    top->addLayout(samples);

    auto* buttons = new QHBoxLayout;
    const DialogButtons b = AddDialogButtons(*this, *buttons, 2200, QStringLiteral("OkButton"),
        QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OkButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    MouseHelpButton = b.mouseHelp;
    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);

    FontListBox1->Fill();
    // A mouse click makes a row current before it selects it: the samples
    // follow the selection, whichever way it moved.
    connect(FontListBox1, &QListWidget::currentRowChanged, this, [this] { FontListBox1Click(); });
    connect(FontListBox1, &QListWidget::itemSelectionChanged, this, [this] { FontListBox1Click(); });
    FontListBox1Click();
}

QString TChangeFontAll::SelectedFont() const
{
    return FontListBox1->SelectedFont();
}

void TChangeFontAll::FontListBox1Click()
{
    const QString name = SelectedFont();
    if (name.isEmpty())
        return;
    for (QLabel* l : { Sample, SampleBold, SampleItalic, SampleBoldItalic }) {
        QFont f = l->font();
        f.setFamily(name);
        l->setFont(f);
    }
}

void TChangeFontAll::reject()
{
    done(mrCancel);
}

} // namespace bv
