#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

namespace bv {

void RegisterEffectTextClasses()
{
    // The stream leaves an empty caption out; an object read from a stream
    // therefore starts without one, or an empty caption would come back as
    // the text a new object is given.
    auto create = [](TGBusinessCardPanel32& panel, const TRect& r, auto* object) {
        object->Loaded();
        panel.AddObject(object, r);
        panel.SetPanelState(psPointing);
        object->EditProperties();
    };
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
            .create = [create](TGBusinessCardPanel32& panel, const TRect& r) { create(panel, r, new TGSuperText); } } },
    });
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
            .create = [create](TGBusinessCardPanel32& panel, const TRect& r) { create(panel, r, new TGPCircleText); } } },
    });
}

} // namespace bv
