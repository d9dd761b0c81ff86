#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/TextureData.h"
#include "framework/graphics/loops/PixelLoops.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <type_traits>

namespace Quib {

namespace {

template <typename T>
std::unique_ptr<T[]> Allocate(int64_t count)
{
    if (count < 0)
        return nullptr;
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<size_t>(count)]);
}

void ReportTooLarge(const char* what, int64_t w, int64_t h)
{
    OutputDebugString(std::string("MemoryImage::") + what + ": no room for a picture of " + std::to_string(w) +
                      " x " + std::to_string(h) + "\n");
}

// Writes the run table of a width x height picture: each byte is the length
// (capped at 255) of the run of pixels of one class from it to the right
// within its row. classOf(i) gives the class of pixel i. Each row is walked
// from its right end, where every run is one pixel longer than the run
// after it.
template <typename ClassOf>
void FillRunTable(uint8_t* table, int width, int height, ClassOf classOf)
{
    if (width == 1) {
        std::memset(table, 1, static_cast<size_t>(height));
        return;
    }
    for (int y = 0; y < height && width > 0; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
        int cls = classOf(row + width - 1);
        int run = 0;
        for (int x = width - 1; x >= 0; --x) {
            const int c = classOf(row + x);
            run = c == cls ? run + 1 : 1;
            cls = c;
            table[row + x] = static_cast<uint8_t>(std::min(run, 255));
        }
    }
}

// 0 transparent, 1 translucent, 2 opaque; without a branch.
int AlphaClass(uint32_t alpha)
{
    return int(alpha != 0) + int(alpha == 255);
}

} // namespace

int64_t ImagePixelCount(int64_t w, int64_t h)
{
    if (w < 0 || h < 0)
        return -1;
    if (w != 0 && h > kMaxImagePixels / w)
        return -1;
    return w * h;
}

MemoryImage::MemoryImage(ImageRegistry* owner) : app(owner)
{
    RegisterWithOwner();
}

MemoryImage::MemoryImage() : MemoryImage(DefaultImageRegistry()) {}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), changeCount(other.changeCount), textureFlags(other.textureFlags),
      paletteCount(other.paletteCount), forced(other.forced), hasTrans(other.hasTrans),
      hasAlpha(other.hasAlpha), isVolatile(other.isVolatile), purgeBits(other.purgeBits),
      wantPalette(other.wantPalette), nativeLayout(other.nativeLayout), bitsChanged(other.bitsChanged),
      app(other.app)
{
    int64_t n = PixelCount();
    if (n >= 0) {
        auto copy = [](auto& to, const auto& from, int64_t count) {
            if (!from)
                return;
            to = Allocate<std::remove_reference_t<decltype(to[0])>>(count);
            if (to)
                std::copy(from.get(), from.get() + count, to.get());
        };
        copy(bits, other.bits, n + 1);
        copy(palette, other.palette, 256);
        copy(paletteIndices, other.paletteIndices, n);
        copy(nativeAlpha, other.nativeAlpha, other.palette ? 256 : n);
        copy(rlAlpha, other.rlAlpha, n);
        copy(rlAdditive, other.rlAdditive, n);
        // With neither bits nor a palette the other image holds its picture
        // in its display copy or on a surface: the copy gets it as bits.
        if (!other.bits && !other.palette) {
            bits = Allocate<uint32_t>(n + 1);
            if (bits && other.ReadPictureInto(bits.get()))
                bits[n] = kImageGuardWord;
            else
                bits.reset();
        }
    }
    RegisterWithOwner();
}

MemoryImage::~MemoryImage()
{
    if (app) {
        std::lock_guard lock(app->ImageSetLock());
        app->imageSet.erase(this);
    }
    ReleaseTextures();
}

void MemoryImage::RegisterWithOwner()
{
    if (!app)
        return;
    std::lock_guard lock(app->ImageSetLock());
    app->imageSet.insert(this);
}

int64_t MemoryImage::PixelCount() const
{
    return ImagePixelCount(width, height);
}

ImageDisplay* MemoryImage::AppDisplay() const
{
    return app ? app->Display() : nullptr;
}

uint32_t MemoryImage::GetPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    uint32_t* p = Pixels();
    return p ? p[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] : 0;
}

void MemoryImage::DecodeOtherForm(uint32_t* out) const
{
    size_t n = static_cast<size_t>(PixelCount());
    if (palette && paletteIndices) {
        for (size_t i = 0; i < n; ++i)
            out[i] = palette[paletteIndices[i]];
    } else if (nativeAlpha) {
        FromDisplayCopyPixels(nativeAlpha.get(), out, n, nativeLayout);
    } else if (!textureData || !textureData->ReadPixelsBack(*this, out)) {
        std::fill(out, out + n, 0u);
    }
}

bool MemoryImage::ReadPictureInto(uint32_t* out) const
{
    if (bits)
        std::copy(bits.get(), bits.get() + PixelCount(), out);
    else
        DecodeOtherForm(out);
    return true;
}

uint32_t* MemoryImage::Pixels()
{
    if (bits)
        return bits.get();
    int64_t n = PixelCount();
    if (n >= 0)
        bits = Allocate<uint32_t>(n + 1);
    if (!bits) {
        ReportTooLarge("Pixels", width, height);
        return nullptr;
    }
    bits[n] = kImageGuardWord;
    DecodeOtherForm(bits.get());
    if (palette) {
        // A display copy made from the palette no longer fits the pixels.
        paletteIndices.reset();
        palette.reset();
        paletteCount = 0;
        nativeAlpha.reset();
    }
    return bits.get();
}

uint32_t* MemoryImage::GetDisplayFormatPixels(ImageDisplay* display)
{
    if (nativeAlpha)
        return nativeAlpha.get();
    if (!display)
        return nullptr;
    ApplyBitsChange();
    const uint32_t* source;
    int64_t n;
    if (palette) {
        source = palette.get();
        n = 256;
    } else {
        source = Pixels();
        n = PixelCount();
    }
    if (!source)
        return nullptr;
    auto copy = Allocate<uint32_t>(n);
    if (!copy) {
        ReportTooLarge("GetDisplayFormatPixels", width, height);
        return nullptr;
    }
    ToDisplayCopyPixels(source, copy.get(), static_cast<size_t>(n), display->layout);
    nativeAlpha = std::move(copy);
    nativeLayout = display->layout;
    return nativeAlpha.get();
}

const uint16_t* MemoryImage::GetDisplayFormatPixels16(ImageDisplay* display)
{
    const uint32_t* words = GetDisplayFormatPixels(display);
    if (!words || palette || nativeLayout.bitCount != 16)
        return nullptr;
    if (!nativeAlpha.narrow) {
        auto narrow = Allocate<uint16_t>(PixelCount());
        if (!narrow)
            return nullptr;
        const auto narrowRow = ActiveLoops().narrowRow;
        for (int y = 0; y < height; ++y)
            narrowRow(narrow.get() + size_t(y) * size_t(width), words + size_t(y) * size_t(width), width);
        nativeAlpha.narrow = std::move(narrow);
    }
    return nativeAlpha.narrow.get();
}

uint8_t* MemoryImage::GetAlphaRunTable()
{
    ApplyBitsChange();
    if (rlAlpha)
        return rlAlpha.get();
    int64_t n = PixelCount();
    auto table = Allocate<uint8_t>(n);
    if (!table) {
        ReportTooLarge("GetAlphaRunTable", width, height);
        return nullptr;
    }
    if (width == 1) {
        FillRunTable(table.get(), width, height, [](size_t) { return 0; });
    } else if (palette) {
        const uint32_t* pal = palette.get();
        const uint8_t* idx = paletteIndices.get();
        FillRunTable(table.get(), width, height, [=](size_t i) { return AlphaClass(pal[idx[i]] >> 24); });
    } else if (nativeAlpha) {
        const uint32_t* words = nativeAlpha.get();
        FillRunTable(table.get(), width, height, [=](size_t i) { return AlphaClass(words[i] >> 24); });
    } else {
        const uint32_t* words = Pixels();
        if (!words)
            return nullptr;
        FillRunTable(table.get(), width, height, [=](size_t i) { return AlphaClass(words[i] >> 24); });
    }
    rlAlpha = std::move(table);
    return rlAlpha.get();
}

uint8_t* MemoryImage::GetAdditiveRunTable(ImageDisplay* display)
{
    if (rlAdditive)
        return rlAdditive.get();
    const uint32_t* words = GetDisplayFormatPixels(display);
    if (!words)
        return nullptr;
    int64_t n = PixelCount();
    auto table = Allocate<uint8_t>(n);
    if (!table) {
        ReportTooLarge("GetAdditiveRunTable", width, height);
        return nullptr;
    }
    if (palette) {
        const uint8_t* idx = paletteIndices.get();
        FillRunTable(table.get(), width, height, [=](size_t i) { return (words[idx[i]] & 0xFFFFFF) != 0; });
    } else {
        FillRunTable(table.get(), width, height, [=](size_t i) { return (words[i] & 0xFFFFFF) != 0; });
    }
    rlAdditive = std::move(table);
    return rlAdditive.get();
}

void MemoryImage::NotePixelsEdited()
{
    ++changeCount;
    bitsChanged = true;
    nativeAlpha.reset();
    rlAlpha.reset();
    rlAdditive.reset();
}

void MemoryImage::ApplyBitsChange()
{
    if (!bitsChanged || forced)
        return;
    hasAlpha = false;
    auto scan = [this](const uint32_t* words, int64_t n) {
        hasTrans = false;
        // Branch-free blocks (the compiler widens them), stopping once both
        // kinds are seen.
        constexpr int64_t kBlock = 1024;
        for (int64_t start = 0; start < n && !(hasTrans && hasAlpha); start += kBlock) {
            const int64_t end = std::min(n, start + kBlock);
            uint32_t clear = 0, partial = 0;
            for (int64_t i = start; i < end; ++i) {
                const uint32_t a = words[i] >> 24;
                clear |= uint32_t(a == 0);
                partial |= uint32_t(a - 1u < 254u);
            }
            hasTrans = hasTrans || clear != 0;
            hasAlpha = hasAlpha || partial != 0;
        }
    };
    if (bits)
        scan(bits.get(), PixelCount());
    else if (palette)
        scan(palette.get(), paletteCount); // only the entries the builder wrote
    else
        hasTrans = true;
    bitsChanged = false;
}

void MemoryImage::ReleaseBits()
{
    purgeBits = true;
    ImageDisplay* display = AppDisplay();
    // Only textures that hold the current picture stand in for the bits.
    const bool texturesHoldPicture = textureData && textureData->HoldsPicture(*this);
    if (display && display->is3D) {
        if (texturesHoldPicture)
            bits.reset();
    } else if (bits || paletteIndices) {
        // The display copy must hold the picture before the bits go; with
        // no display to make it for, the bits stay.
        if (GetDisplayFormatPixels(display))
            bits.reset();
    }
    if (texturesHoldPicture && palette) {
        paletteIndices.reset();
        palette.reset();
        paletteCount = 0;
        nativeAlpha.reset();
    }
}

void MemoryImage::ReleaseSoftwareCaches()
{
    // The display copy may be the last form of the picture: rebuild the
    // bits first, and keep it when they cannot be made.
    if (!bits && !paletteIndices && !Pixels())
        return;
    nativeAlpha.reset();
    rlAdditive.reset();
    rlAlpha.reset();
}

void MemoryImage::ReleaseTextures()
{
    if (textureData && textureData->owner)
        textureData->owner->ForgetImageTextures(this);
}

void MemoryImage::ReleaseCaches()
{
    ReleaseSoftwareCaches();
    ReleaseTextures();
}

void MemoryImage::ReapplyStorageOptions()
{
    if (wantPalette)
        TryPalettize();
    if (purgeBits)
        ReleaseBits();
}

void MemoryImage::ReleaseDisplayCopy()
{
    if (!bits && !paletteIndices && !Pixels())
        return;
    nativeAlpha.reset();
    rlAdditive.reset();
}

void MemoryImage::ZeroPixels()
{
    uint32_t* p = Pixels();
    if (!p)
        return;
    std::fill(p, p + PixelCount(), 0u);
    NotePixelsEdited();
}

void MemoryImage::AssignPixels(const uint32_t* words, int w, int h, bool applyNow)
{
    if (words && words == bits.get())
        return;
    int64_t n = ImagePixelCount(w, h);
    if (n < 0 || (!words && n > 0)) {
        ReportTooLarge("AssignPixels", w, h);
        return;
    }
    if (w != width || h != height || !bits) {
        auto fresh = Allocate<uint32_t>(n + 1);
        if (!fresh) {
            ReportTooLarge("AssignPixels", w, h);
            return;
        }
        bits = std::move(fresh);
        width = w;
        height = h;
    }
    if (n > 0)
        std::memcpy(bits.get(), words, static_cast<size_t>(n) * sizeof(uint32_t));
    TakeNewBits(n, applyNow);
}

void MemoryImage::AdoptPixels(std::unique_ptr<uint32_t[]> words, int w, int h, bool applyNow)
{
    const int64_t n = ImagePixelCount(w, h);
    if (n < 0 || !words) {
        ReportTooLarge("AdoptPixels", w, h);
        return;
    }
    bits = std::move(words);
    width = w;
    height = h;
    TakeNewBits(n, applyNow);
}

void MemoryImage::TakeNewBits(int64_t n, bool applyNow)
{
    paletteIndices.reset();
    palette.reset();
    paletteCount = 0;
    bits[n] = kImageGuardWord;
    NotePixelsEdited();
    if (applyNow)
        ApplyBitsChange();
}

void MemoryImage::Resize(int w, int h)
{
    if (ImagePixelCount(w, h) < 0) {
        ReportTooLarge("Resize", w, h);
        return;
    }
    bits.reset();
    paletteIndices.reset();
    palette.reset();
    paletteCount = 0;
    width = w;
    height = h;
    hasTrans = hasAlpha = true;
    NotePixelsEdited();
}

void MemoryImage::ForceTransparencyFlags(bool trans, bool alpha)
{
    forced = true;
    hasTrans = trans;
    hasAlpha = alpha;
}

void MemoryImage::FlagVolatile(bool v)
{
    isVolatile = v;
}

bool MemoryImage::TryPalettize()
{
    ApplyBitsChange();
    if (palette)
        return true;
    const uint32_t* words = Pixels();
    if (!words)
        return false;
    int64_t n = PixelCount();
    auto indices = Allocate<uint8_t>(n);
    auto colors = std::unique_ptr<uint32_t[]>(new (std::nothrow) uint32_t[256]());
    if (!indices || !colors) {
        wantPalette = false;
        return false;
    }
    // The colours found so far, hashed to their index (open addressing, at
    // most half full); a pixel equal to the one before skips the lookup.
    constexpr int kSlotBits = 9;
    uint32_t slotColor[1 << kSlotBits];
    int16_t slotIndex[1 << kSlotBits];
    std::fill(std::begin(slotIndex), std::end(slotIndex), int16_t(-1));
    int count = 0;
    uint32_t previous = 0;
    uint8_t previousIndex = 0;
    for (int64_t i = 0; i < n; ++i) {
        const uint32_t p = words[i];
        if (i > 0 && p == previous) {
            indices[i] = previousIndex;
            continue;
        }
        uint32_t slot = (p * 0x9E3779B1u) >> (32 - kSlotBits);
        while (slotIndex[slot] >= 0 && slotColor[slot] != p)
            slot = (slot + 1) & ((1u << kSlotBits) - 1);
        if (slotIndex[slot] < 0) {
            if (count == 256) {
                wantPalette = false;
                return false;
            }
            slotColor[slot] = p;
            slotIndex[slot] = int16_t(count);
            colors[count++] = p;
        }
        previous = p;
        previousIndex = uint8_t(slotIndex[slot]);
        indices[i] = previousIndex;
    }
    palette = std::move(colors);
    paletteIndices = std::move(indices);
    paletteCount = count;
    bits.reset();
    nativeAlpha.reset();
    wantPalette = true;
    return true;
}

} // namespace Quib
