#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

namespace bv {

void RegisterEffectTextClasses()
{
    RegisterObjectClass(QStringLiteral("TGPCircleText"), [] { return new TGPCircleText; });
    RegisterObjectClass(QStringLiteral("TGSuperText"), [] { return new TGSuperText; });
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
