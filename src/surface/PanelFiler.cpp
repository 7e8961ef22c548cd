#include "surface/PanelFiler.h"

#include "surface/ObjectFiler.h"

namespace bv {

namespace {
PanelFiler* installed = nullptr;
}

PanelFiler* PanelFiler::Current()
{
    // The object filer serves every panel unless a test installed another.
    return installed ? installed : &TGLabelObjectFiler::Default();
}

void PanelFiler::Install(PanelFiler* filer)
{
    installed = filer;
}

} // namespace bv
