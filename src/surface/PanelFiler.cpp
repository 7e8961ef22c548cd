#include "surface/PanelFiler.h"

namespace bv {

namespace {
PanelFiler* installed = nullptr;
}

PanelFiler* PanelFiler::Current()
{
    return installed;
}

void PanelFiler::Install(PanelFiler* filer)
{
    installed = filer;
}

} // namespace bv
