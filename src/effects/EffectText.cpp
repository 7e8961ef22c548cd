#include "effects/EffectText.h"

#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/SymbolFonts.h"
#include "surface/GraphicControl.h"

#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace bv {

namespace {
// Letters taller than this are drawn at this size: a height from a damaged
// file would otherwise ask for glyph outlines of absurd size.
constexpr int MaxLetterPixels = 3000;

QFont bounded(QFont f)
{
    if (f.pixelSize() > MaxLetterPixels)
        f.setPixelSize(MaxLetterPixels);
    return f;
}
} // namespace

QFont EffectFont(const TFont& font, Single zoom)
{
    // Windows symbol fonts are drawn with the font that has their pictures.
    if (zoom == 1.0f)
        return bounded(SymbolFonts::DisplayQFont(font.ToQFont()));
    // Sizes are stored unzoomed; the zoom scales the point size and the
    // result is truncated, as every text object of the card does it.
    TFont f = font;
    const int size = font.Size();
    const int zoomed = static_cast<int>(Trunc(static_cast<Extended>(size) * static_cast<Extended>(zoom)));
    f.Height = -MulDiv(zoomed, ScreenPpi(), 72);
    return bounded(SymbolFonts::DisplayQFont(f.ToQFont()));
}

QString ShownText(const TFont& font, const QString& stored)
{
    return SymbolFonts::DisplayText(font.Name, stored);
}

std::optional<TFont> ChooseEffectFont(const TFont& current)
{
    QFont initial = current.ToQFont();
    if (current.Size() > 0)
        initial.setPointSize(current.Size());
    const auto chosen = Interaction::Current().ChooseFont(initial, QStringLiteral("Font"));
    if (!chosen)
        return std::nullopt;
    return TFont::FromQFont(*chosen, current);
}

int SteppedFontSize(int size, bool up)
{
    if (up)
        return size < 150 ? size + 5 : size;
    return size > 10 ? size - 5 : size;
}

TEffectSample::TEffectSample(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TEffectSample::SetSample(TGGraphicControl* object)
{
    sample = object;
    Refresh();
}

void TEffectSample::Refresh()
{
    if (sample) {
        const QSize want(std::max(1, sample->Width()), std::max(1, sample->Height()));
        if (size() != want)
            resize(want);
    }
    update();
}

void TEffectSample::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    if (!sample)
        return;
    QPainter p(this);
    sample->PaintAt(p, 0, 0);
    // Painting may have refitted the object around its text.
    if (size() != QSize(std::max(1, sample->Width()), std::max(1, sample->Height())))
        Refresh();
}

TUpDownButtons::TUpDownButtons(QWidget* parent) : QFrame(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : { up, down }) {
        b->setFixedSize(22, 14);
        column->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { emit Stepped(true); });
    connect(down, &QToolButton::clicked, this, [this] { emit Stepped(false); });
}

} // namespace bv
