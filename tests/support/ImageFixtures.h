#pragma once
// Picture files made by the tests, with the libraries' own encoders or by
// hand, and a plain libjpeg decoder to compare against.
#include "framework/graphics/ImageLib.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Quib::Testing {

// A decoded picture's pixels, row by row.
std::vector<uint32_t> Words(const ImageLib::Image& image);

struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;    // height rows of packed samples, big-endian for 16 bits
    std::vector<uint8_t> palette; // R, G, B triples
    std::vector<uint8_t> trns;    // palette alphas
};
std::string EncodePng(const PngSpec& spec);

// components 1 (grey), 3 (RGB) or 4 (CMYK as given, Adobe marker written).
std::string EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                       int quality = 95, bool progressive = false);

// Decodes with libjpeg's RGB output from memory; empty when it fails.
std::vector<uint32_t> DecodeJpegPlain(const std::string& bytes, int& width, int& height);

struct J2kComponent {
    int dx = 1;
    int dy = 1;
    int prec = 8;
    bool sgnd = false;
    std::vector<int32_t> data; // its own width x height samples
};
// Lossless JPEG 2000 of the picture size, as a code stream or a JP2 file;
// a JP2 file of three or more components declares sRGB, or sYCC when asked.
bool WriteJ2k(const std::string& path, bool jp2, int width, int height, const std::vector<J2kComponent>& comps,
              bool sycc = false);

// Minimal TGA: 18-byte header then the given pixel bytes.
std::string MakeTga(int width, int height, int depth, int descriptor, const std::vector<uint32_t>& pixels);

// LZW code stream in data sub-blocks for the given indices.
std::string GifLzwData(int minimumCodeSize, const std::vector<uint8_t>& indices);
// Codes given with their sizes, packed into sub-blocks as they stand.
std::string GifPackCodes(const std::vector<std::pair<int, int>>& codesAndSizes);

struct GifSpec {
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<uint32_t> globalTable; // 0xRRGGBB; size a power of two or empty
    int transparent = -1;              // graphic control extension when >= 0
    bool comment = false;              // comment and application extensions first
    int width = 0;
    int height = 0;
    std::vector<uint32_t> localTable;
    bool interlaced = false;
    int minimumCodeSize = 2;
    std::vector<uint8_t> indices; // in file order
    std::string lzw;              // used instead of the indices when set
};
std::string MakeGif(const GifSpec& spec);

} // namespace Quib::Testing
