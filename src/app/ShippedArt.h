#pragma once
// The background pictures ("bg") and card templates ("qrdt") the program
// ships are built into it as resources; a program folder that lacks one of
// them gets a copy, so the dialogs and the template import find every one
// where they look. Files the user already has, edited or not, are left alone.
#include <QString>

namespace bv {

// Copies every shipped file of one folder ("bg" or "qrdt") that is missing
// from that folder of the program folder, creating the folder when needed.
// Failures leave the file missing, nothing more.
void InstallShippedFiles(const QString& folder);
// Both folders.
void InstallShippedArt();

} // namespace bv
