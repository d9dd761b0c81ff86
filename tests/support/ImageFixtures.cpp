#include "tests/support/ImageFixtures.h"

#include <csetjmp>
#include <cstdio>
#include <map>
#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <stdexcept>

namespace Quib::Testing {

std::vector<uint32_t> Words(const ImageLib::Image& image)
{
    return {image.pixels, image.pixels + size_t(image.width) * size_t(image.height)};
}

namespace {

void AppendPng(png_structp png, png_bytep data, size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

void FlushPng(png_structp) {}

void PutWord(std::string& out, int v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void PutTable(std::string& out, const std::vector<uint32_t>& table)
{
    for (uint32_t c : table) {
        out += char(c >> 16);
        out += char(c >> 8);
        out += char(c);
    }
}

int TableBits(size_t size)
{
    int bits = 0;
    while ((2u << bits) < size)
        ++bits;
    return bits;
}

struct JpegJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegJump*>(cinfo->err)->jump, 1); }

} // namespace

std::string EncodePng(const PngSpec& spec)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("png encoding failed");
    png_set_write_fn(png, &out, AppendPng, FlushPng);
    png_set_IHDR(png, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < spec.palette.size(); i += 3)
        palette.push_back({spec.palette[i], spec.palette[i + 1], spec.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!spec.trns.empty())
        png_set_tRNS(png, info, spec.trns.data(), int(spec.trns.size()), nullptr);
    png_write_info(png, info);
    size_t stride = spec.rows.size() / size_t(spec.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < spec.height; ++y)
        rows.push_back(const_cast<png_bytep>(spec.rows.data() + size_t(y) * stride));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality,
                       bool progressive)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) * size_t(width * components));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    free(buffer);
    return out;
}

std::vector<uint32_t> DecodeJpegPlain(const std::string& bytes, int& width, int& height)
{
    jpeg_decompress_struct cinfo;
    JpegJump err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegFail;
    std::vector<uint32_t> words;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    width = int(cinfo.output_width);
    height = int(cinfo.output_height);
    std::vector<uint8_t> row(size_t(width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&cinfo, &p, 1);
        for (int x = 0; x < width; ++x)
            words.push_back(0xFF000000u | uint32_t(row[3 * x]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2]);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return words;
}

bool WriteJ2k(const std::string& path, bool jp2, int width, int height, const std::vector<J2kComponent>& comps,
              bool sycc)
{
    std::vector<opj_image_cmptparm_t> params(comps.size());
    for (size_t i = 0; i < comps.size(); ++i) {
        opj_image_cmptparm_t& p = params[i];
        p = {};
        p.dx = OPJ_UINT32(comps[i].dx);
        p.dy = OPJ_UINT32(comps[i].dy);
        p.w = OPJ_UINT32((width + comps[i].dx - 1) / comps[i].dx);
        p.h = OPJ_UINT32((height + comps[i].dy - 1) / comps[i].dy);
        p.prec = OPJ_UINT32(comps[i].prec);
        p.sgnd = comps[i].sgnd ? 1 : 0;
    }
    OPJ_COLOR_SPACE space = comps.size() < 3 ? OPJ_CLRSPC_GRAY : sycc ? OPJ_CLRSPC_SYCC : OPJ_CLRSPC_SRGB;
    opj_image_t* image = opj_image_create(OPJ_UINT32(comps.size()), params.data(), space);
    if (!image)
        return false;
    image->x0 = image->y0 = 0;
    image->x1 = OPJ_UINT32(width);
    image->y1 = OPJ_UINT32(height);
    for (size_t i = 0; i < comps.size(); ++i)
        for (size_t j = 0; j < comps[i].data.size(); ++j)
            image->comps[i].data[j] = comps[i].data[j];
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.numresolution = width < 4 || height < 4 ? 1 : 2;
    parameters.tcp_mct = !sycc && comps.size() >= 3 && comps[1].dx == 1 && comps[2].dx == 1 ? 1 : 0;
    opj_codec_t* codec = opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    bool ok = opj_setup_encoder(codec, &parameters, image);
    opj_stream_t* stream = ok ? opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE) : nullptr;
    ok = stream && opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
         opj_end_compress(codec, stream);
    if (stream)
        opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return ok;
}

std::string MakeTga(int width, int height, int depth, int descriptor, const std::vector<uint32_t>& pixels)
{
    std::string out(18, '\0');
    out[2] = 2;
    out[12] = char(width & 0xFF);
    out[13] = char(width >> 8);
    out[14] = char(height & 0xFF);
    out[15] = char(height >> 8);
    out[16] = char(depth);
    out[17] = char(descriptor);
    for (uint32_t p : pixels)
        for (int i = 0; i < 4; ++i)
            out += char(p >> (8 * i));
    return out;
}

std::string GifPackCodes(const std::vector<std::pair<int, int>>& codesAndSizes)
{
    std::string bytes;
    uint32_t acc = 0;
    int bits = 0;
    for (auto [code, size] : codesAndSizes) {
        acc |= uint32_t(code) << bits;
        bits += size;
        while (bits >= 8) {
            bytes += char(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        bytes += char(acc & 0xFF);
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 255) {
        size_t n = std::min<size_t>(255, bytes.size() - i);
        out += char(n);
        out += bytes.substr(i, n);
    }
    out += '\0';
    return out;
}

std::string GifLzwData(int m, const std::vector<uint8_t>& indices)
{
    const int clear = 1 << m;
    const int end = clear + 1;
    int next = clear + 2;
    int size = m + 1;
    std::vector<std::pair<int, int>> codes;
    std::map<std::pair<int, int>, int> dictionary;
    codes.push_back({clear, size});
    int prefix = -1;
    for (uint8_t index : indices) {
        if (prefix < 0) {
            prefix = index;
            continue;
        }
        auto found = dictionary.find({prefix, index});
        if (found != dictionary.end()) {
            prefix = found->second;
            continue;
        }
        codes.push_back({prefix, size});
        if (next < 4096) {
            dictionary[{prefix, index}] = next++;
            if (next > (1 << size) && size < 12)
                ++size;
        } else {
            codes.push_back({clear, size});
            dictionary.clear();
            next = clear + 2;
            size = m + 1;
        }
        prefix = index;
    }
    if (prefix >= 0)
        codes.push_back({prefix, size});
    codes.push_back({end, size});
    return GifPackCodes(codes);
}

std::string MakeGif(const GifSpec& spec)
{
    std::string out = "GIF89a";
    PutWord(out, spec.screenWidth ? spec.screenWidth : spec.width);
    PutWord(out, spec.screenHeight ? spec.screenHeight : spec.height);
    out += char(spec.globalTable.empty() ? 0 : 0x80 | TableBits(spec.globalTable.size()));
    out += '\0';
    out += '\0';
    PutTable(out, spec.globalTable);
    if (spec.comment) {
        out += "\x21\xFE\x05hello";
        out += '\0';
        out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        out += std::string("\0\0\0", 3);
    }
    if (spec.transparent >= 0) {
        out += "\x21\xF9\x04\x01";
        out += std::string("\0\0", 2);
        out += char(spec.transparent);
        out += '\0';
    }
    out += ',';
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, spec.width);
    PutWord(out, spec.height);
    int flags = spec.interlaced ? 0x40 : 0;
    if (!spec.localTable.empty())
        flags |= 0x80 | TableBits(spec.localTable.size());
    out += char(flags);
    PutTable(out, spec.localTable);
    out += char(spec.minimumCodeSize);
    out += spec.lzw.empty() ? GifLzwData(spec.minimumCodeSize, spec.indices) : spec.lzw;
    out += ';';
    return out;
}

} // namespace Quib::Testing
