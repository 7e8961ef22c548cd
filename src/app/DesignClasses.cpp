#include "app/DesignClasses.h"

#include "app/HelpBrowser.h"
#include "document/AppServices.h"
#include "effects/CircleText.h"
#include "effects/SuperShape.h"
#include "objects/Barcode.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/MultiLineLabel.h"
#include "objects/Shapes.h"
#include "objects/SymbolLabel.h"
#include "platform/DialogHooks.h"
#include "richtext/RichBaseLabel.h"

namespace bv {

void RegisterDesignClasses()
{
    RegisterShapeClasses();
    RegisterLabelClasses();
    RegisterEffectTextClasses();
    RegisterMultiLineClasses();
    RegisterSymbolClasses();
    RegisterRichTextClasses();
    RegisterSuperShapeClasses();
    RegisterImageClasses();
    RegisterBarcodeClasses();
    // Object dialogs reach the help pages and the dialog placement of the
    // application through these hooks.
    SetHelpTopicHandler([](int context) { ShowHelpTopic(context); });
    SetDialogPlacer([](QWidget& dialog) { CentreForm(dialog); });
}

} // namespace bv
