#include "platform/Jpeg.h"

#include "platform/Errors.h"
#include "platform/AtomicFile.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QtEndian>
#include <utility>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>

namespace bv {

namespace {

// Decoded pictures larger than this are refused: a few hundred bytes of
// JPEG can claim a 65500 x 65500 picture.
constexpr std::int64_t MaxJpegPixels = std::int64_t(1) << 25;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages would go to stderr; the program has no log.
void onMessage(j_common_ptr, int) {}

struct DecodeJob {
    const QByteArray* input = nullptr;
    int width = 0;
    int height = 0;
    int bitCount = 8;
    QVector<QRgb> palette;
    QByteArray rows; // bottom-up, padded to 4 bytes
    int xPels = 0;
    int yPels = 0;
    char message[JMSG_LENGTH_MAX] = {};
};

void setMessage(DecodeJob& job, const char* text)
{
    std::snprintf(job.message, sizeof job.message, "%s", text);
}

// Runs libjpeg. Only trivially destructible locals live in this frame, so
// the longjmp from the error manager skips no destructor.
bool runDecode(DecodeJob& job)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onFatalError;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        setMessage(job, err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(job.input->constData()),
                 static_cast<unsigned long>(job.input->size()));
    jpeg_read_header(&cinfo, TRUE);

    if (std::int64_t(cinfo.image_width) * cinfo.image_height > MaxJpegPixels
        || cinfo.image_width > JDIMENSION(Dib::MaxSide) || cinfo.image_height > JDIMENSION(Dib::MaxSide)) {
        setMessage(job, "JPEG picture too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    // CMYK pictures cannot be quantised by the library; they come out as
    // 24-bit bitmaps converted here. Grey pictures keep their 256 greys
    // exactly. Everything else becomes 256 colours.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.do_block_smoothing = TRUE;
    if (grey) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        cinfo.quantize_colors = FALSE;
    } else if (cmyk) {
        cinfo.out_color_space = JCS_CMYK;
        cinfo.quantize_colors = FALSE;
    } else {
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 256;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
    }
    jpeg_start_decompress(&cinfo);

    job.width = static_cast<int>(cinfo.output_width);
    job.height = static_cast<int>(cinfo.output_height);
    job.bitCount = cmyk ? 24 : 8;
    const int stride = Dib::RowStride(job.width, job.bitCount);
    try {
        job.rows = QByteArray(static_cast<qsizetype>(stride) * job.height, '\0');
        if (grey) {
            job.palette.resize(256);
            for (int i = 0; i < 256; ++i)
                job.palette[i] = qRgb(i, i, i);
        } else if (!cmyk) {
            job.palette.resize(cinfo.actual_number_of_colors);
            for (int i = 0; i < cinfo.actual_number_of_colors; ++i)
                job.palette[i] = qRgb(cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i]);
        }
    } catch (const std::bad_alloc&) {
        setMessage(job, "Not enough memory for the JPEG picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    unsigned char* cmykRow = nullptr;
    if (cmyk) {
        cmykRow = static_cast<unsigned char*>((*cinfo.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, static_cast<size_t>(job.width) * 4));
    }
    auto* rows = reinterpret_cast<unsigned char*>(job.rows.data());
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        unsigned char* out = rows + static_cast<qsizetype>(job.height - 1 - y) * stride;
        JSAMPROW row = cmyk ? cmykRow : out;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk) {
            // Adobe writes CMYK inverted; the usual conversion of those files.
            for (int x = 0; x < job.width; ++x) {
                const int c = cmykRow[4 * x], m = cmykRow[4 * x + 1], ye = cmykRow[4 * x + 2],
                          k = cmykRow[4 * x + 3];
                out[3 * x] = static_cast<unsigned char>(ye * k / 255);
                out[3 * x + 1] = static_cast<unsigned char>(m * k / 255);
                out[3 * x + 2] = static_cast<unsigned char>(c * k / 255);
            }
        }
    }
    if (cinfo.density_unit == 1 || cinfo.density_unit == 2) {
        const double perMeter = cinfo.density_unit == 1 ? 1000.0 / 25.4 : 100.0;
        job.xPels = static_cast<int>(cinfo.X_density * perMeter + 0.5);
        job.yPels = static_cast<int>(cinfo.Y_density * perMeter + 0.5);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct EncodeJob {
    const QImage* rgb = nullptr; // Format_RGB888
    int quality = 100;
    unsigned char* buffer = nullptr; // malloc'ed by libjpeg
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
};

bool runEncode(EncodeJob& job)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onFatalError;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::snprintf(job.message, sizeof job.message, "%s", err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.buffer, &job.size);
    cinfo.image_width = static_cast<JDIMENSION>(job.rgb->width());
    cinfo.image_height = static_cast<JDIMENSION>(job.rgb->height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job.rgb->constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

std::uint32_t tiffValue(const QByteArray& t, qsizetype at, int bytes, bool bigEndian)
{
    if (at < 0 || at + bytes > t.size())
        return 0;
    const auto* p = reinterpret_cast<const uchar*>(t.constData() + at);
    if (bytes == 2)
        return bigEndian ? qFromBigEndian<std::uint16_t>(p) : qFromLittleEndian<std::uint16_t>(p);
    return bigEndian ? qFromBigEndian<std::uint32_t>(p) : qFromLittleEndian<std::uint32_t>(p);
}

// The EXIF orientation (1..8, 1 = upright) of a JPEG file: the Orientation
// tag of the first image directory in the APP1 "Exif" segment; 1 when there
// is none or the data is malformed.
int exifOrientation(const QByteArray& d)
{
    if (d.size() < 4 || uchar(d[0]) != 0xFF || uchar(d[1]) != 0xD8)
        return 1;
    qsizetype pos = 2;
    while (pos + 4 <= d.size()) {
        if (uchar(d[pos]) != 0xFF)
            return 1;
        const uchar marker = uchar(d[pos + 1]);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // image data or end: no EXIF before it
            return 1;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const qsizetype length = qFromBigEndian<std::uint16_t>(reinterpret_cast<const uchar*>(d.constData() + pos + 2));
        if (length < 2 || pos + 2 + length > d.size())
            return 1;
        if (marker == 0xE1 && length >= 16 && d.mid(pos + 4, 6) == QByteArray("Exif\0\0", 6)) {
            const QByteArray t = d.mid(pos + 10, length - 8);
            const bool big = t.startsWith("MM");
            if (!big && !t.startsWith("II"))
                return 1;
            if (tiffValue(t, 2, 2, big) != 42)
                return 1;
            const qsizetype ifd = tiffValue(t, 4, 4, big);
            const int entries = int(tiffValue(t, ifd, 2, big));
            for (int i = 0; i < entries && ifd + 2 + qsizetype(i) * 12 + 12 <= t.size(); ++i) {
                const qsizetype e = ifd + 2 + qsizetype(i) * 12;
                if (tiffValue(t, e, 2, big) == 0x0112 && tiffValue(t, e + 2, 2, big) == 3) { // Orientation, SHORT
                    const int o = int(tiffValue(t, e + 8, 2, big));
                    return o >= 1 && o <= 8 ? o : 1;
                }
            }
            return 1;
        }
        pos += 2 + length;
    }
    return 1;
}

// Turns the decoded rows (bottom-up, 8 or 24 bits) the way an EXIF
// orientation says: 2 mirrored, 3 half turn, 4 flipped, 5 transposed,
// 6 quarter turn clockwise, 7 transversed, 8 quarter turn anticlockwise.
void reorient(DecodeJob& job, int orientation)
{
    if (orientation <= 1 || orientation > 8)
        return;
    const int w = job.width, h = job.height, bytes = job.bitCount / 8;
    const bool swap = orientation >= 5;
    const int nw = swap ? h : w, nh = swap ? w : h;
    const int inStride = Dib::RowStride(w, job.bitCount), outStride = Dib::RowStride(nw, job.bitCount);
    QByteArray out(qsizetype(outStride) * nh, '\0');
    for (int dy = 0; dy < nh; ++dy) {
        char* to = out.data() + qsizetype(nh - 1 - dy) * outStride;
        for (int dx = 0; dx < nw; ++dx) {
            int x = dx, y = dy; // source pixel, top-down
            switch (orientation) {
            case 2: x = w - 1 - dx; break;
            case 3: x = w - 1 - dx; y = h - 1 - dy; break;
            case 4: y = h - 1 - dy; break;
            case 5: x = dy; y = dx; break;
            case 6: x = dy; y = h - 1 - dx; break;
            case 7: x = w - 1 - dy; y = h - 1 - dx; break;
            case 8: x = w - 1 - dy; y = dx; break;
            default: break;
            }
            const char* from = job.rows.constData() + qsizetype(h - 1 - y) * inStride + qsizetype(x) * bytes;
            std::memcpy(to + qsizetype(dx) * bytes, from, size_t(bytes));
        }
    }
    job.rows = out;
    job.width = nw;
    job.height = nh;
    if (swap)
        std::swap(job.xPels, job.yPels);
}

} // namespace

Dib Jpeg::Decode(const QByteArray& data)
{
    if (data.isEmpty())
        throw EConvertError(QStringLiteral("JPEG error: empty input"));
    DecodeJob job;
    job.input = &data;
    if (!runDecode(job))
        throw EConvertError(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(job.message)));
    // A camera stores the picture as the sensor saw it and says in its EXIF
    // data how to turn it upright; the picture is turned here.
    reorient(job, exifOrientation(data));
    return Dib::FromRows(job.width, job.height, job.bitCount, job.palette, job.rows, job.xPels, job.yPels);
}

Dib Jpeg::DecodeFile(const QString& path)
{
    return Decode(ReadOutsideFileOrThrow(path, MaxPictureFileBytes));
}

QByteArray Jpeg::Encode(const QImage& image, int quality)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw EConvertError(QStringLiteral("JPEG error: empty picture"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    EncodeJob job;
    job.rgb = &rgb;
    job.quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
    const bool ok = runEncode(job);
    QByteArray out;
    if (ok && job.buffer)
        out = QByteArray(reinterpret_cast<const char*>(job.buffer), static_cast<qsizetype>(job.size));
    std::free(job.buffer);
    if (!ok)
        throw EConvertError(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(job.message)));
    return out;
}

void Jpeg::SaveToFile(const QImage& image, const QString& path, int quality)
{
    const QByteArray data = Encode(image, quality);
    WriteFileAtomically(path, data);
}

} // namespace bv
