#include "app/DesignClasses.h"

#include "app/AppServices.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/Shapes.h"
#include "platform/DialogHooks.h"

namespace bv {

void RegisterDesignClasses()
{
    RegisterShapeClasses();
    RegisterLabelClasses();
    RegisterImageClasses();
    // Object dialogs reach the help pages and the dialog placement of the
    // application through these hooks.
    SetHelpTopicHandler([](int context) { ShowHelpTopic(context); });
    SetDialogPlacer([](QWidget& dialog) { CentreForm(dialog); });
}

} // namespace bv
