#pragma once
// User commands on the card (menu items, keys, mouse gestures) run inside Qt's
// event handling, which a C++ exception must never cross. A failure of such a
// command (a clipboard file that cannot be written, a malformed clipboard
// file) is shown to the user in an error box instead.
#include "platform/Errors.h"
#include "platform/Interaction.h"

#include <exception>

namespace bv {

template <class Command>
void RunCommand(Command&& command)
{
    try {
        command();
    } catch (const std::exception&) {
        Interaction::Current().ShowError(DescribeCurrentException());
    }
}

} // namespace bv
