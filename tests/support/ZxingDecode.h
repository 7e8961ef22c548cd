#pragma once
// Reads barcodes back from a picture with ZXing (zxing-cpp), a decoder
// independent of the encoder the program uses. Header only: the tests that
// include it link ZXing (tests/CMakeLists.txt).
#include <QImage>
#include <QStringList>

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

namespace bv::test {

// The code ZXing finds in `image`, as UTF-8 text decoded (an empty list
// when there is none). One symbol at most: zxing-cpp 1.4 fails an assertion
// when it compares two reads of one linear code printed tall.
inline QStringList DecodeBarcodes(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
        static_cast<int>(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setMaxNumberOfSymbols(1);
    QStringList texts;
    for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints))
        if (r.isValid())
            texts << QString::fromStdString(r.text());
    return texts;
}

} // namespace bv::test
