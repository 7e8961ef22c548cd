#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

#include <algorithm>

namespace bv {

void RegisterEffectTextClasses()
{
    // The stream leaves an empty caption out; an object read from a stream
    // therefore starts without one, or an empty caption would come back as
    // the text a new object is given.
    RegisterObjectClass(QStringLiteral("TGPCircleText"), [] {
        auto* o = new TGPCircleText;
        o->SetCaption(QString());
        return o;
    });
    RegisterObjectClass(QStringLiteral("TGSuperText"), [] {
        auto* o = new TGSuperText;
        o->SetCaption(QString());
        return o;
    });
    auto create = [](TGBusinessCardPanel32& panel, const TRect& r, auto* object, auto edit) {
        object->Loaded();
        panel.AddObject(object, r);
        panel.SetPanelState(psPointing);
        edit(*object);
    };
    // After its dialog the new object shows all of its text, on the card.
    TGBusinessCardPanel32::RegisterCreator(psCircleText, [create](TGBusinessCardPanel32& panel, const TRect& r) {
        create(panel, r, new TGPCircleText, [&panel](TGPCircleText& o) {
            o.EditProperties();
            o.FitToCaption(std::min(panel.width(), panel.height()));
            panel.KeepInCard(o);
        });
    });
    TGBusinessCardPanel32::RegisterCreator(psSuperText, [create](TGBusinessCardPanel32& panel, const TRect& r) {
        create(panel, r, new TGSuperText, [&panel](TGSuperText& o) {
            o.EditProperties();
            o.FitWithin(panel.size());
            panel.KeepInCard(o);
        });
    });
}

} // namespace bv
