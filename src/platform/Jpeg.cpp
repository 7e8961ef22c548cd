#include "platform/Jpeg.h"

#include "platform/Errors.h"
#include "platform/AtomicFile.h"
#include "platform/SafeFile.h"

#include <QFile>
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
    // 24-bit bitmaps converted here. Everything else becomes 256 colours.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.do_block_smoothing = TRUE;
    if (cmyk) {
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
        if (!cmyk) {
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

} // namespace

Dib Jpeg::Decode(const QByteArray& data)
{
    if (data.isEmpty())
        throw EConvertError(QStringLiteral("JPEG error: empty input"));
    DecodeJob job;
    job.input = &data;
    if (!runDecode(job))
        throw EConvertError(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(job.message)));
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
