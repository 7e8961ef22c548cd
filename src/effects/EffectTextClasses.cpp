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
    TGBusinessCardPanel32::RegisterCreator(psCircleText, [create](TGBusinessCardPanel32& panel, const TRect& r) {
        create(panel, r, new TGPCircleText, [](TGPCircleText& o) { o.EditProperties(); });
    });
    TGBusinessCardPanel32::RegisterCreator(psSuperText, [create](TGBusinessCardPanel32& panel, const TRect& r) {
        create(panel, r, new TGSuperText, [](TGSuperText& o) { o.EditProperties(); });
    });
}

} // namespace bv
