#pragma once
// The main window's quick tips: the questions and answers the assistant
// shows. Keep the answers true to the menus, buttons and folders of the
// program when they change.
namespace bv {

class TAssistantOru;

// Gives the assistant the main window's topics (replacing any it had).
void LoadQuickTips(TAssistantOru& assistant);

} // namespace bv
