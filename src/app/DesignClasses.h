#pragma once
// Registers every kind of design object the program has with the stream
// reader and its drawing tool with the card panel, and gives the object
// dialogs the application's help and dialog placement. Run before the first
// card panel is made (main window, batch tool); safe to run more than once.
namespace bv {

void RegisterDesignClasses();

} // namespace bv
