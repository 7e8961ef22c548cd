#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

#include <algorithm>

namespace bv {

void RegisterEffectTextClasses()
{
    auto create = [](TGBusinessCardPanel32& panel, const TRect& r, auto* object, auto edit) {
        object->Loaded();
        panel.AddObject(object, r);
        panel.SetPanelState(psPointing);
        edit(*object);
    };
    // The stream leaves an empty caption out; an object read from a stream
    // therefore starts without one, or an empty caption would come back as
    // the text a new object is given.
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGSuperText"),
            [] {
                auto* o = new TGSuperText;
                o->SetCaption(QString());
                return o;
            } } },
        .tools = { { .state = psSuperText, .button = "DrawSuperTextButton",
            .hint = QStringLiteral("SuperText tool \nSpecial Effects Text - fill with gradients or bitmaps"),
            .menuCaption = QStringLiteral("&SuperText..."), .iconName = QStringLiteral("supertext"), .group = 4,
            .order = 110,
            .create =
                [create](TGBusinessCardPanel32& panel, const TRect& r) {
                    create(panel, r, new TGSuperText, [&panel](TGSuperText& o) {
                        o.EditProperties();
                        o.FitWithin(panel.size());
                        panel.KeepInCard(o);
                    });
                } } },
    });
    // After its dialog the new object shows all of its text, on the card.
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGPCircleText"),
            [] {
                auto* o = new TGPCircleText;
                o->SetCaption(QString());
                return o;
            } } },
        .tools = { { .state = psCircleText, .button = "DrawCircleTextbutton",
            .hint = QStringLiteral("CircleText Tool \nCircular or semi-circular text using any font"),
            .menuCaption = QStringLiteral("C&ircleText..."), .iconName = QStringLiteral("circletext"), .group = 4,
            .order = 120,
            .create =
                [create](TGBusinessCardPanel32& panel, const TRect& r) {
                    create(panel, r, new TGPCircleText, [&panel](TGPCircleText& o) {
                        o.EditProperties();
                        o.FitToCaption(std::min(panel.width(), panel.height()));
                        panel.KeepInCard(o);
                    });
                } } },
    });
}

} // namespace bv
