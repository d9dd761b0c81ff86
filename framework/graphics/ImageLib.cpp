#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageLibInternal.h"
#include "framework/files/StringUtils.h"
#include <algorithm>
#include <iterator>
#include <new>
#include <string_view>
#include <vector>

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

// The names a picture is looked for under: the picture itself, then its
// alpha partners "_name" and "name_".
constexpr size_t kNameCount = 3;
using Found = bool[kNameCount][kReaderCount];

// Marks, for each of the names `stems` in `folder` (`folder` ends with its
// separator or is empty), the readers whose extension exists: archive
// members and disk files, any letter case, from one listing of the folder
// instead of one open per reader. False when such a search cannot stand in
// for the opens: replacement names, wildcard characters or a name near the
// length limit.
bool FindExtensions(const std::string& folder, const std::string* stems, size_t count, Found& found)
{
    PakInterface* pak = GetSharedPakInterface();
    if (pak && !pak->mPathAliases.empty())
        return false;
    for (size_t which = 0; which < count; ++which)
        if (stems[which].empty() || folder.size() + stems[which].size() + 8 > PAK_MAX_PATH ||
            (folder + stems[which]).find_first_of("*?") != std::string::npos)
            return false;
    for (auto& row : found)
        std::fill(std::begin(row), std::end(row), false);
    // Marks the reader whose extension `extension` is.
    auto mark = [&found](size_t which, std::string_view extension) {
        for (size_t i = 0; i < kReaderCount; ++i)
            if (EqualsNoCase(extension, kReaders[i].extension))
                found[which][i] = true;
    };
    if (pak && !pak->mEntries.empty()) {
        for (size_t which = 0; which < count; ++which) {
            std::string key = NormalizePakPath(folder + stems[which]);
            if (key.empty())
                continue;
            key += '.';
            for (auto it = pak->mEntries.lower_bound(key);
                 it != pak->mEntries.end() && std::string_view(it->first).starts_with(key); ++it) {
                const std::string_view extension = std::string_view(it->first).substr(key.size() - 1);
                if (extension.find('\\') == std::string_view::npos)
                    mark(which, extension);
            }
        }
    }
    std::vector<std::string> patterns;
    patterns.reserve(count);
    for (size_t which = 0; which < count; ++which)
        patterns.push_back(stems[which] + ".*");
    for (const std::string& name : FindNamesOnDisk(folder, patterns))
        for (size_t which = 0; which < count; ++which) {
            const std::string& stem = stems[which];
            if (name.size() > stem.size() && EqualsNoCase(std::string_view(name).substr(0, stem.size()), stem.c_str()))
                mark(which, std::string_view(name).substr(stem.size()));
        }
    return true;
}

// Reads `base` + the extension of the first reader that can read it;
// `exists` (when given) tells which names are there at all.
std::unique_ptr<Image> ReadByExtension(const std::string& path, const bool* exists = nullptr)
{
    long sep = LastSeparator(path);
    long dot = long(path.rfind('.'));
    std::string extension, base = path;
    if (dot > sep) {
        extension = path.substr(size_t(dot));
        base = path.substr(0, size_t(dot));
    }
    bool searchedHere[kReaderCount];
    if (!exists && extension.empty()) {
        // Without an extension every reader is a candidate: one search of
        // the folder tells which names exist.
        const size_t split = size_t(sep + 1);
        const std::string stem = base.substr(split);
        Found all;
        if (FindExtensions(base.substr(0, split), &stem, 1, all)) {
            std::copy(std::begin(all[0]), std::end(all[0]), searchedHere);
            exists = searchedHere;
        }
    }
    for (size_t i = 0; i < kReaderCount; ++i) {
        const ReaderEntry& entry = kReaders[i];
        if (!extension.empty() && !EqualsNoCase(extension, entry.extension))
            continue;
        if (exists && !exists[i])
            continue;
        if (auto image = entry.read(base + entry.extension))
            return image;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Image> LoadImageFile(const std::string& path, bool lookForAlpha)
{
    if (!lookForAlpha)
        return ReadByExtension(path);
    // A name without an extension: the picture and both partners are
    // looked up in one listing of their folder.
    const long sep = LastSeparator(path);
    const size_t split = size_t(sep + 1);
    Found exists;
    const std::string stems[kNameCount] = {path.substr(split), "_" + path.substr(split), path.substr(split) + "_"};
    const bool searched = long(path.rfind('.')) <= sep && split < path.size() &&
                          FindExtensions(path.substr(0, split), stems, kNameCount, exists);
    std::unique_ptr<Image> color = ReadByExtension(path, searched ? exists[0] : nullptr);

    const std::string front = path.substr(0, split) + "_" + path.substr(split);
    const std::string back = path + "_";
    const bool* frontExists = nullptr;
    const bool* backExists = nullptr;
    if (searched) {
        frontExists = exists[1];
        backExists = exists[2];
    }
    std::unique_ptr<Image> alpha = ReadByExtension(front, frontExists);
    if (!alpha)
        alpha = ReadByExtension(back, backExists);
    if (!alpha && !path.empty() && path.back() == '_')
        alpha = ReadByExtension(path, searched ? exists[0] : nullptr);
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
