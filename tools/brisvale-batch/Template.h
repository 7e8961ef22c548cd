#pragma once
// brisvale-batch template: a new design from a card template.
#include <QStringList>
#include <QTextStream>

namespace bv::batch {

// Builds a design from TEMPLATE.QRDT exactly as New - Select From Templates
// does (the default layout and the personal information of QRD.INI, every
// text in the chosen font, the template's background from the bg folder and
// its orientation) and writes it as OUT.QRD with its companion file.
// Arguments: TEMPLATE OUT [--font NAME]. Errors: a message on `err` and 1.
int Template(const QStringList& args, QTextStream& err);

} // namespace bv::batch
