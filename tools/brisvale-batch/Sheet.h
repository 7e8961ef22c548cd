#pragma once
// brisvale-batch sheet: prints sheets of a design's card as the program's
// Print command would, into a PDF file or onto a print queue.
#include <QStringList>
#include <QTextStream>

namespace bv::batch {

// args: DESIGN.QRD [OUT.pdf] [--sheets N] [--outline] [--positions LIST]
// [--printer NAME] [--merge FILE [--copies N] [--records A-B]]. The layout comes from the design's companion file (else
// the default layout of QRD.INI), the printer nudges from QRD.INI. LIST holds
// card numbers as the print status shows them ("Card 1" is the top-left
// card): "1,3,5-8". --merge prints one card per record of a CSV or vCard
// file (records A to B, N cards each) across as many sheets as needed. Without --printer the sheets go to OUT.pdf. A message on
// `err` and 1 on failure, else 0.
int Sheet(const QStringList& args, QTextStream& out, QTextStream& err);

// brisvale-batch pdf: the print-shop PDF of a design's card (one card per
// page at trim plus bleed, TrimBox and BleedBox). args: DESIGN.QRD OUT.pdf
// [--bleed MM] [--marks] [--back].
int PrintShop(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace bv::batch
