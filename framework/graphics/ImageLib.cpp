#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageLibInternal.h"
#include "framework/files/StringUtils.h"
#include <algorithm>
#include <iterator>
#include <new>
#include <string_view>

namespace Quib::ImageLib {

thread_local uint32_t AlphaOnlyColor = 0xFFFFFF;

Image::~Image() { delete[] pixels; }

namespace Detail {

int64_t BytesLeft(PakFile* file)
{
    int32_t here = PakFTell(file);
    if (here < 0 || PakFSeek(file, 0, SEEK_END) != 0)
        return 0;
    int32_t end = PakFTell(file);
    PakFSeek(file, here, SEEK_SET);
    return end > here ? int64_t(end) - here : 0;
}

bool CloseWrittenFile(FILE* file)
{
    bool ok = std::ferror(file) == 0;
    return std::fclose(file) == 0 && ok;
}

bool IsSaneSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxDecodedSide && height <= kMaxDecodedSide &&
           width * height <= kMaxDecodedPixels;
}

std::unique_ptr<Image> NewImage(int64_t width, int64_t height)
{
    if (!IsSaneSize(width, height))
        return nullptr;
    uint32_t* pixels = new (std::nothrow) uint32_t[size_t(width * height) + 1];
    if (!pixels)
        return nullptr;
    auto image = std::make_unique<Image>();
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pixels = pixels;
    image->spareWord = true;
    return image;
}

} // namespace Detail

namespace {

using Reader = std::unique_ptr<Image> (*)(const std::string&);

struct ReaderEntry {
    const char* extension;
    Reader read;
};

constexpr ReaderEntry kReaders[] = {
    {".tga", ReadTga}, {".jpg", ReadJpeg}, {".png", ReadPng},
    {".gif", ReadGif}, {".j2k", ReadJ2k},  {".jp2", ReadJ2k},
};

// Position of the last path separator: the backslash when the last one
// comes after the last slash, else the slash; -1 when there is none.
long LastSeparator(const std::string& path)
{
    long slash = long(path.rfind('/'));
    long back = long(path.rfind('\\'));
    return back > slash ? back : slash;
}

constexpr size_t kReaderCount = std::size(kReaders);

// Marks the readers whose extension exists for `base` (a path without an
// extension), from one search of its folder (archive members and disk
// files, any letter case) instead of one open per reader. False when such a
// search cannot stand in for the opens: replacement names, wildcard
// characters or a name near the length limit.
bool FindExtensions(const std::string& base, bool (&found)[kReaderCount])
{
    PakInterface* pak = GetSharedPakInterface();
    if (pak && !pak->mPathAliases.empty())
        return false;
    const std::string_view stem = std::string_view(base).substr(size_t(LastSeparator(base) + 1));
    if (stem.empty() || base.size() + 8 > PAK_MAX_PATH || base.find_first_of("*?") != std::string::npos)
        return false;
    std::fill(std::begin(found), std::end(found), false);
    PakFindData data;
    PakFindHandle search = PakFindFirstFile(base + ".*", &data);
    if (!search)
        return true; // no file of that name
    do {
        const std::string_view name(data.cFileName);
        if (name.size() <= stem.size() || !EqualsNoCase(name.substr(0, stem.size()), std::string(stem).c_str()))
            continue;
        const std::string_view extension = name.substr(stem.size());
        for (size_t i = 0; i < kReaderCount; ++i)
            if (EqualsNoCase(extension, kReaders[i].extension))
                found[i] = true;
    } while (PakFindNextFile(search, &data));
    PakFindClose(search);
    return true;
}

std::unique_ptr<Image> ReadByExtension(const std::string& path)
{
    long sep = LastSeparator(path);
    long dot = long(path.rfind('.'));
    std::string extension, base = path;
    if (dot > sep) {
        extension = path.substr(size_t(dot));
        base = path.substr(0, size_t(dot));
    }
    // Without an extension every reader is a candidate: one search of the
    // folder tells which names exist.
    bool exists[kReaderCount];
    const bool searched = extension.empty() && FindExtensions(base, exists);
    for (size_t i = 0; i < kReaderCount; ++i) {
        const ReaderEntry& entry = kReaders[i];
        if (!extension.empty() && !EqualsNoCase(extension, entry.extension))
            continue;
        if (searched && !exists[i])
            continue;
        if (auto image = entry.read(base + entry.extension))
            return image;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Image> LoadImageFile(const std::string& path, bool lookForAlpha)
{
    std::unique_ptr<Image> color = ReadByExtension(path);
    if (!lookForAlpha)
        return color;

    size_t split = size_t(LastSeparator(path) + 1);
    std::unique_ptr<Image> alpha = ReadByExtension(path.substr(0, split) + "_" + path.substr(split));
    if (!alpha)
        alpha = ReadByExtension(path + "_");
    if (!alpha && !path.empty() && path.back() == '_')
        alpha = ReadByExtension(path);
    if (!alpha)
        return color;

    size_t count = size_t(alpha->width) * size_t(alpha->height);
    if (!color) {
        uint32_t fill = AlphaOnlyColor;
        uint32_t* p = alpha->pixels;
        for (size_t i = 0; i < count; ++i)
            p[i] = (p[i] << 24) | fill;
        return alpha;
    }
    if (color->width == alpha->width && color->height == alpha->height) {
        uint32_t* dst = color->pixels;
        const uint32_t* src = alpha->pixels;
        for (size_t i = 0; i < count; ++i)
            dst[i] = (dst[i] & 0x00FFFFFF) | (src[i] << 24);
    }
    return color;
}

} // namespace Quib::ImageLib
