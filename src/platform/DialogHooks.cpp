#include "platform/DialogHooks.h"

#include <utility>

namespace bv {

namespace {
std::function<void(int)>& helpHandler()
{
    static std::function<void(int)> handler;
    return handler;
}
std::function<void(QWidget&)>& dialogPlacer()
{
    static std::function<void(QWidget&)> placer;
    return placer;
}
} // namespace

void SetHelpTopicHandler(std::function<void(int context)> handler)
{
    helpHandler() = std::move(handler);
}

void RequestHelpTopic(int context)
{
    if (helpHandler())
        helpHandler()(context);
}

void SetDialogPlacer(std::function<void(QWidget& dialog)> placer)
{
    dialogPlacer() = std::move(placer);
}

void PlaceDialog(QWidget& dialog)
{
    if (dialogPlacer())
        dialogPlacer()(dialog);
}

} // namespace bv
