#include "framework/graphics/ImageLibInternal.h"
#include "platform/MessageSink.h"
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#if !defined(JCS_EXTENSIONS)
#error "libjpeg-turbo's colour space extensions are needed"
#endif

namespace Quib::ImageLib {

using namespace Detail;

namespace {

// Fatal errors jump back into the reader or writer; the text of the first
// warning (damaged data the library decoded past) is kept for the reader to
// report, other messages are dropped.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char firstWarning[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OutputMessage(j_common_ptr) {}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (err->pub.num_warnings++ == 0)
        err->pub.format_message(cinfo, err->firstWarning);
}

void InstallErrorManager(j_common_ptr cinfo, ErrorManager& err)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.pub.emit_message = EmitMessage;
    err.firstWarning[0] = '\0';
}

// Source manager reading through the pak layer.
struct PakSource {
    jpeg_source_mgr pub;
    PakFile* file;
    bool startOfFile;
    bool ended;
    JOCTET buffer[4096];
};

void InitSource(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<PakSource*>(cinfo->src);
    src->startOfFile = true;
    src->ended = false;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<PakSource*>(cinfo->src);
    size_t n = PakFRead(src->buffer, 1, sizeof src->buffer, src->file);
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets the library finish what it has.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
        src->ended = true;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<PakSource*>(cinfo->src);
    if (count <= 0)
        return;
    while (size_t(count) > src->pub.bytes_in_buffer) {
        count -= long(src->pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
        if (src->ended)
            return; // keep the end marker
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void UsePakSource(j_decompress_ptr cinfo, PakFile* file)
{
    if (!cinfo->src)
        cinfo->src = static_cast<jpeg_source_mgr*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(PakSource)));
    auto* src = reinterpret_cast<PakSource*>(cinfo->src);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
}

// A damaged progressive file may hold any number of scans; a real one
// holds a handful.
constexpr int kMaxScans = 500;

void LimitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->progressive_mode && d->input_scan_number > kMaxScans)
        ERREXIT1(cinfo, JERR_NOT_COMPILED, kMaxScans);
}

inline uint8_t Mul255(int a, int b) { return uint8_t((a * b + 127) / 255); }

// CMYK as Adobe writes it holds inverted values (255 means no ink).
void CmykToWords(const JSAMPLE* in, uint32_t* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = 0xFF000000u | uint32_t(Mul255(c, k)) << 16 | uint32_t(Mul255(m, k)) << 8 | Mul255(y, k);
    }
}

// Holds what must survive a jump out of the library.
struct JpegRead {
    PakFile* file = nullptr;
    std::unique_ptr<Image> image;
    long warnings = 0;
    std::string firstWarning;
};

bool Decompress(JpegRead& read)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        read.image.reset();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = LimitScans;
    cinfo.progress = &progress;
    UsePakSource(&cinfo, read.file);
    jpeg_read_header(&cinfo, TRUE);

    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        // The library writes B, G, R, 0xFF: the words themselves.
        cinfo.out_color_space = JCS_EXT_BGRA;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (!IsSaneSize(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    read.image = NewImage(cinfo.output_width, cinfo.output_height);
    if (!read.image || cinfo.output_components != 4) {
        jpeg_destroy_decompress(&cinfo);
        read.image.reset();
        return false;
    }
    Image& image = *read.image;
    if (cmyk) {
        JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                   cinfo.output_width * 4, 1);
        while (cinfo.output_scanline < cinfo.output_height) {
            uint32_t* out = image.pixels + size_t(cinfo.output_scanline) * size_t(image.width);
            if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
                break;
            CmykToWords(row[0], out, cinfo.output_width, cinfo.saw_Adobe_marker);
        }
    } else {
        JSAMPROW rows[16];
        while (cinfo.output_scanline < cinfo.output_height) {
            JDIMENSION first = cinfo.output_scanline;
            JDIMENSION count = std::min<JDIMENSION>(16, cinfo.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = reinterpret_cast<JSAMPROW>(image.pixels + size_t(first + i) * size_t(image.width));
            if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
                break;
        }
    }
    jpeg_finish_decompress(&cinfo);
    read.warnings = err.pub.num_warnings;
    read.firstWarning = err.firstWarning;
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct JpegWrite {
    FILE* file;
    const Image* image;
    std::unique_ptr<JSAMPLE[]> row;
};

bool Compress(JpegWrite& write)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), err);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, write.file);
    const Image& image = *write.image;
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 80, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPLE* row = write.row.get();
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* in = image.pixels + size_t(cinfo.next_scanline) * size_t(image.width);
        for (int x = 0; x < image.width; ++x) {
            row[3 * x] = JSAMPLE(in[x] >> 16);
            row[3 * x + 1] = JSAMPLE(in[x] >> 8);
            row[3 * x + 2] = JSAMPLE(in[x]);
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

std::unique_ptr<Image> ReadJpeg(const std::string& path)
{
    PakHandle file = OpenForReading(path);
    if (!file)
        return nullptr;
    JpegRead read;
    read.file = file.get();
    if (!Decompress(read))
        return nullptr;
    // A file cut short or with damaged data still gives what decoded (the
    // rest grey); the damage is told with the file's name.
    if (read.warnings > 0)
        OutputDebugString("ReadJpeg: " + path + ": damaged data (" + read.firstWarning +
                          (read.warnings > 1 ? ", and " + std::to_string(read.warnings - 1) +
                                                     (read.warnings > 2 ? " more warnings" : " more warning")
                                               : "") +
                          "); the picture is kept as far as it decoded\n");
    return std::move(read.image);
}

bool WriteJpeg(const std::string& path, const Image* image)
{
    if (!image || !image->pixels || !IsSaneSize(image->width, image->height))
        return false;
    JpegWrite write{nullptr, image, std::unique_ptr<JSAMPLE[]>(new (std::nothrow) JSAMPLE[size_t(image->width) * 3])};
    if (!write.row)
        return false;
    write.file = OpenFile(path, "wb");
    if (!write.file)
        return false;
    bool ok = Compress(write);
    return CloseWrittenFile(write.file) && ok;
}

} // namespace Quib::ImageLib
