#pragma once
// brisvale-batch render: the card picture of a design, as "Save As Bitmap"
// and "Save As JPG" write it.
#include <QStringList>
#include <QTextStream>

namespace bv::batch {

// args: DESIGN.QRD OUT [--border]. The format follows OUT's extension (.bmp,
// .jpg/.jpeg, .png). A message on `err` and 1 on failure, else 0.
int Render(const QStringList& args, QTextStream& err);

} // namespace bv::batch
