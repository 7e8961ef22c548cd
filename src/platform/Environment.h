#pragma once
// Where the program keeps its files and what the screen looks like.
#include <QString>

namespace bv {

// Folder of the program's files, always ending with '/': BRISVALE_HOME when
// set, else the executable's folder when it is writable (portable use), else
// $XDG_DATA_HOME/brisvale/ (~/.local/share/brisvale/). Created on first use.
QString ProgramFolder();

// Logical pixels per inch of the primary screen (96 on a normal desktop);
// BRISVALE_PPI overrides it. 96 when there is no screen.
int ScreenPpi();

// Name of the settings file inside ProgramFolder().
inline QString IniFileName() { return QStringLiteral("QRD.INI"); }
QString IniPath();

} // namespace bv
