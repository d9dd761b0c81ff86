#include "framework/graphics/ImageLibInternal.h"
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <openjpeg.h>

namespace Quib::ImageLib {

using namespace Detail;

namespace {

// Whether the codec may be used, and whether it was checked yet; the
// main and the loading thread both read pictures.
struct CodecState {
    std::mutex lock;
    bool loaded = false;
    bool firstUse = true;
};

CodecState& Codec()
{
    static CodecState state;
    return state;
}

bool CodecQualifies()
{
    // The library's version text starts with its major number.
    return std::atoi(opj_version()) >= 2;
}

bool CodecReady()
{
    CodecState& codec = Codec();
    std::lock_guard<std::mutex> guard(codec.lock);
    if (!codec.loaded)
        return false;
    if (codec.firstUse) {
        codec.firstUse = false;
        if (!CodecQualifies())
            codec.loaded = false;
    }
    return codec.loaded;
}

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T size, void* data)
{
    size_t n = PakFRead(buffer, 1, size, static_cast<PakFile*>(data));
    return n > 0 ? n : OPJ_SIZE_T(-1);
}

// Moves to the offset; false when the file cannot get there (archive
// members stop at their end).
bool SeekExactly(PakFile* file, int64_t offset)
{
    return offset >= 0 && offset <= INT32_MAX && PakFSeek(file, int32_t(offset), SEEK_SET) == 0 &&
           PakFTell(file) == offset;
}

// A skip that cannot go the whole way fails: the library would retry a
// short one for ever.
OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* data)
{
    auto* file = static_cast<PakFile*>(data);
    int32_t from = PakFTell(file);
    return from >= 0 && SeekExactly(file, int64_t(from) + count) ? count : -1;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* data)
{
    return SeekExactly(static_cast<PakFile*>(data), offset) ? OPJ_TRUE : OPJ_FALSE;
}

void Quiet(const char*, void*) {}

struct Decoder {
    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;
    ~Decoder()
    {
        if (image)
            opj_image_destroy(image);
        if (codec)
            opj_destroy_codec(codec);
        if (stream)
            opj_stream_destroy(stream);
    }
};

// Unsigned value of a sample, within 0..2^prec - 1.
inline int64_t UnsignedSample(int32_t sample, const opj_image_comp_t& comp)
{
    int64_t value = sample;
    if (comp.sgnd)
        value += int64_t(1) << (comp.prec - 1);
    const int64_t maximum = (int64_t(1) << comp.prec) - 1;
    return value < 0 ? 0 : value > maximum ? maximum : value;
}

// One sample scaled to 8 bits: signed samples are moved up by half their
// range, other precisions scaled.
inline uint32_t Sample8(int32_t sample, const opj_image_comp_t& comp)
{
    const int prec = int(comp.prec);
    const int64_t value = UnsignedSample(sample, comp);
    const int64_t maximum = (int64_t(1) << prec) - 1;
    if (prec == 8)
        return uint32_t(value);
    if (prec > 8)
        return uint32_t(value >> (prec - 8));
    return uint32_t(value * 255 / maximum);
}

inline uint32_t Clamp8(double v)
{
    return v <= 0.0 ? 0u : v >= 255.0 ? 255u : uint32_t(v + 0.5);
}

// A pixel of sYCC samples (full-range luma and chroma centred on half the
// range) as opaque RGB.
inline uint32_t SyccToArgb(int32_t y, const opj_image_comp_t& yc, int32_t cb, const opj_image_comp_t& cbc,
                           int32_t cr, const opj_image_comp_t& crc)
{
    auto level = [](int64_t value, const opj_image_comp_t& comp) {
        return double(value) * 255.0 / double((int64_t(1) << comp.prec) - 1);
    };
    auto chroma = [&](int32_t sample, const opj_image_comp_t& comp) {
        return level(UnsignedSample(sample, comp) - (int64_t(1) << (comp.prec - 1)), comp);
    };
    const double luma = level(UnsignedSample(y, yc), yc);
    const double b = chroma(cb, cbc), r = chroma(cr, crc);
    return 0xFF000000u | Clamp8(luma + 1.402 * r) << 16 | Clamp8(luma - 0.344136 * b - 0.714136 * r) << 8 |
           Clamp8(luma + 1.772 * b);
}

bool ComponentUsable(const opj_image_comp_t& comp)
{
    return comp.data && comp.w > 0 && comp.h > 0 && comp.dx > 0 && comp.dy > 0 && comp.prec >= 1 &&
           comp.prec <= 31;
}

// The sample of a component that covers picture pixel (x, y).
inline int SampleAt(const opj_image_t& image, const opj_image_comp_t& comp, uint32_t x, uint32_t y)
{
    int64_t cx = int64_t((image.x0 + x) / comp.dx) - int64_t(comp.x0);
    int64_t cy = int64_t((image.y0 + y) / comp.dy) - int64_t(comp.y0);
    cx = cx < 0 ? 0 : cx >= comp.w ? comp.w - 1 : cx;
    cy = cy < 0 ? 0 : cy >= comp.h ? comp.h - 1 : cy;
    return comp.data[size_t(cy) * comp.w + size_t(cx)];
}

// The start of a code stream: SOC, then the SIZ marker.
constexpr uint8_t kCodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};

uint32_t Big32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Where the code stream of a JP2 file starts (its "jp2c" box); -1 when
// there is none.
int64_t CodestreamOffset(PakFile* file, int64_t length)
{
    for (int64_t at = 0; at + 8 <= length;) {
        uint8_t box[16];
        if (!SeekExactly(file, at) || PakFRead(box, 1, 8, file) != 8)
            return -1;
        uint64_t size = Big32(box);
        int header = 8;
        if (size == 1) {
            if (PakFRead(box + 8, 1, 8, file) != 8)
                return -1;
            size = uint64_t(Big32(box + 8)) << 32 | Big32(box + 12);
            header = 16;
        }
        if (std::memcmp(box + 4, "jp2c", 4) == 0)
            return at + header;
        if (size < uint64_t(header) || size > uint64_t(length - at))
            return -1;
        at += int64_t(size);
    }
    return -1;
}

// Checks the size segment at the start of a code stream before the
// library reads it: a damaged one makes it allocate for up to 65535 tiles
// or thousands of components before it reports anything.
constexpr uint64_t kMaxTiles = 4096;

bool SizeSegmentSane(PakFile* file, int64_t start)
{
    // SOC, SIZ, Lsiz, Rsiz, eight 32-bit sizes and offsets, Csiz.
    uint8_t siz[42];
    if (!SeekExactly(file, start) || PakFRead(siz, 1, sizeof siz, file) != sizeof siz ||
        std::memcmp(siz, kCodestreamStart, sizeof kCodestreamStart) != 0)
        return false;
    uint64_t x1 = Big32(siz + 8), y1 = Big32(siz + 12), x0 = Big32(siz + 16), y0 = Big32(siz + 20);
    uint64_t tileW = Big32(siz + 24), tileH = Big32(siz + 28), tileX0 = Big32(siz + 32), tileY0 = Big32(siz + 36);
    int components = siz[40] << 8 | siz[41];
    if (x1 <= x0 || y1 <= y0 || !IsSaneSize(int64_t(x1 - x0), int64_t(y1 - y0)) || components < 1 ||
        components > 4 || tileW == 0 || tileH == 0 || tileX0 > x0 || tileY0 > y0)
        return false;
    uint64_t across = (x1 - tileX0 + tileW - 1) / tileW;
    uint64_t down = (y1 - tileY0 + tileH - 1) / tileH;
    return across * down <= kMaxTiles;
}

} // namespace

void LoadJ2kCodec()
{
    CodecState& codec = Codec();
    std::lock_guard<std::mutex> guard(codec.lock);
    codec.loaded = true;
}

// JPEG 2000 code streams and JP2 files (told apart by their first bytes),
// 1 to 4 components; the result is always opaque.
std::unique_ptr<Image> ReadJ2k(const std::string& path)
{
    if (!CodecReady())
        return nullptr;
    PakHandle file = OpenForReading(path);
    if (!file)
        return nullptr;

    static constexpr uint8_t kJp2Magic[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    uint8_t magic[12] = {};
    size_t got = PakFRead(magic, 1, sizeof magic, file.get());
    OPJ_CODEC_FORMAT format;
    if (got == sizeof magic && std::memcmp(magic, kJp2Magic, sizeof kJp2Magic) == 0)
        format = OPJ_CODEC_JP2;
    else if (got >= sizeof kCodestreamStart && std::memcmp(magic, kCodestreamStart, sizeof kCodestreamStart) == 0)
        format = OPJ_CODEC_J2K;
    else
        return nullptr;
    if (PakFSeek(file.get(), 0, SEEK_SET) != 0)
        return nullptr;
    int64_t length = BytesLeft(file.get());
    int64_t codestream = format == OPJ_CODEC_JP2 ? CodestreamOffset(file.get(), length) : 0;
    if (!SizeSegmentSane(file.get(), codestream) || PakFSeek(file.get(), 0, SEEK_SET) != 0)
        return nullptr;

    Decoder d;
    d.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    d.codec = opj_create_decompress(format);
    if (!d.stream || !d.codec)
        return nullptr;
    opj_stream_set_user_data(d.stream, file.get(), nullptr);
    opj_stream_set_user_data_length(d.stream, OPJ_UINT64(length));
    opj_stream_set_read_function(d.stream, StreamRead);
    opj_stream_set_skip_function(d.stream, StreamSkip);
    opj_stream_set_seek_function(d.stream, StreamSeek);
    opj_set_info_handler(d.codec, Quiet, nullptr);
    opj_set_warning_handler(d.codec, Quiet, nullptr);
    opj_set_error_handler(d.codec, Quiet, nullptr);

    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(d.codec, &parameters) || !opj_read_header(d.stream, d.codec, &d.image) || !d.image)
        return nullptr;
    int64_t width = int64_t(d.image->x1) - int64_t(d.image->x0);
    int64_t height = int64_t(d.image->y1) - int64_t(d.image->y0);
    if (!IsSaneSize(width, height))
        return nullptr;
    if (!opj_decode(d.codec, d.stream, d.image) || !opj_end_decompress(d.codec, d.stream))
        return nullptr;
    if (d.image->numcomps < 1 || d.image->numcomps > 4)
        return nullptr;
    for (OPJ_UINT32 c = 0; c < d.image->numcomps; ++c)
        if (!ComponentUsable(d.image->comps[c]))
            return nullptr;

    std::unique_ptr<Image> result = NewImage(width, height);
    if (!result)
        return nullptr;
    const opj_image_t& image = *d.image;
    // One or two components are grey (the second, alpha, is dropped);
    // three or four are red, green and blue, or luma and two chroma
    // components (any of them subsampled) when the file says sYCC. A fourth
    // (alpha) is dropped.
    const opj_image_comp_t& c0 = image.comps[0];
    const opj_image_comp_t& c1 = image.comps[image.numcomps >= 3 ? 1 : 0];
    const opj_image_comp_t& c2 = image.comps[image.numcomps >= 3 ? 2 : 0];
    uint32_t* out = result->pixels;
    if (image.numcomps >= 3 && image.color_space == OPJ_CLRSPC_SYCC) {
        for (uint32_t y = 0; y < uint32_t(height); ++y)
            for (uint32_t x = 0; x < uint32_t(width); ++x)
                *out++ = SyccToArgb(SampleAt(image, c0, x, y), c0, SampleAt(image, c1, x, y), c1,
                                    SampleAt(image, c2, x, y), c2);
        return result;
    }
    for (uint32_t y = 0; y < uint32_t(height); ++y)
        for (uint32_t x = 0; x < uint32_t(width); ++x)
            *out++ = 0xFF000000u | Sample8(SampleAt(image, c0, x, y), c0) << 16 |
                     Sample8(SampleAt(image, c1, x, y), c1) << 8 | Sample8(SampleAt(image, c2, x, y), c2);
    return result;
}

} // namespace Quib::ImageLib

namespace Quib {

int UnloadJ2KCodec()
{
    auto& codec = ImageLib::Codec();
    std::lock_guard<std::mutex> guard(codec.lock);
    if (!codec.loaded)
        return 0;
    codec.loaded = false;
    return 1;
}

} // namespace Quib
