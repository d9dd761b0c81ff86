#include "framework/graphics/DDImage.h"

#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/SurfacePixels.h"
#include "framework/graphics/TextureData.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace Quib {

namespace {

ImageDisplay* DefaultDisplay()
{
    ImageRegistry* registry = DefaultImageRegistry();
    return registry ? registry->Display() : nullptr;
}

// The lowest value below `count` that no used value takes; false when every
// value is used.
bool LowestUnusedValue(const std::vector<uint64_t>& used, uint32_t count, uint32_t& value)
{
    for (uint32_t word = 0; word < count / 64; ++word) {
        if (used[word] != ~uint64_t(0)) {
            value = word * 64 + uint32_t(std::countr_one(used[word]));
            return true;
        }
    }
    return false;
}

} // namespace

DDImage::DDImage(ImageDisplay* owner)
    : MemoryImage(owner ? owner->Registry() : DefaultImageRegistry()), display(owner)
{
    Init();
}

DDImage::DDImage() : DDImage(DefaultDisplay()) {}

void DDImage::Init()
{
    surface = nullptr;
    if (display) {
        std::lock_guard lock(display->critSect);
        display->images.insert(this);
    }
    surfaceAttached = noSurfaceAccess = preferVideoMemory = false;
    colorKeyFromFirstPixel = keepOnSurface = softwareOnly = false;
    lockCount = 0;
}

DDImage::~DDImage()
{
    if (surface) {
        if (lockCount > 0)
            surface->Unlock();
        surface->Release();
        surface = nullptr;
    }
    if (display)
        display->RemoveImage(this);
}

bool DDImage::In3DMode() const
{
    return display && display->is3D;
}

bool DDImage::IsRenderTarget() const
{
    return display && display->is3D && surface != nullptr && surface == display->drawSurface;
}

// ---- Surface life

bool DDImage::CreateSurface()
{
    if (surface)
        return true;
    ApplyBitsChange();
    keepOnSurface = true;
    if (palette)
        Pixels();
    if (!display)
        return false;

    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps = preferVideoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;

    std::lock_guard lock(display->critSect);
    if (width <= 0 || height <= 0 || Failed(display->CreateSurface(desc, &surface))) {
        surface = nullptr;
        return false;
    }
    // A surface that could not be filled is given up: kept, it would pass
    // for the picture and the next surface draw would drop the bits.
    auto giveUp = [this] {
        surface->Release();
        surface = nullptr;
        return false;
    };
    if (!AcquireSurfaceLock())
        return giveUp();

    const SurfaceView view = MakeSurfaceView(lockDesc, *display);
    if (view.format.bitCount != 16 && view.format.bitCount != 32) {
        ReleaseSurfaceLock();
        return giveUp();
    }
    const bool wide = view.format.bitCount == 32;
    const uint32_t* words = bits.get();
    const size_t n = size_t(width) * size_t(height);
    auto convert = [&](size_t i) { return ArgbToSurfacePixel(words[i], view); };

    // The key: the converted colour of the first pixel that is not opaque.
    // Opaque pixels are compared with it in the same converted form.
    uint32_t key = 0;
    bool keyed = hasTrans && (words || !wide);
    keyUnavailable = false;
    bool writeKey = false;
    if (words && hasTrans) {
        if (colorKeyFromFirstPixel) {
            key = convert(0);
        } else {
            size_t first = 0;
            while (first < n && (words[first] >> 24) == 255)
                ++first;
            key = first < n ? convert(first) : 0;
            bool clash = false;
            for (size_t i = 0; i < n && !clash; ++i)
                clash = (words[i] >> 24) == 255 && convert(i) == key;
            if (clash) {
                const uint32_t count = wide ? (1u << 24) : (1u << 16);
                std::vector<uint64_t> used(count / 64, 0);
                for (size_t i = 0; i < n; ++i) {
                    if ((words[i] >> 24) != 0) {
                        const uint32_t v = convert(i) & (count - 1);
                        used[v / 64] |= uint64_t(1) << (v % 64);
                    }
                }
                if (!LowestUnusedValue(used, count, key)) {
                    // Every value is taken: any key would erase some of the
                    // picture's own pixels, so the surface gets none.
                    keyed = false;
                    keyUnavailable = true;
                }
            }
            writeKey = !keyUnavailable;
        }
    }
    if (words)
        WriteBitsToLockedSurface(view, writeKey, key);
    if (keyed) {
        SurfaceColorKey colorKey{key, key};
        surface->SetColorKey(DDCKEY_SRCBLT, &colorKey);
    }
    ReleaseSurfaceLock();
    return true;
}

void DDImage::WriteBitsToLockedSurface(const SurfaceView& view, bool writeKey, uint32_t key)
{
    const uint32_t* words = bits.get();
    const int w = std::min<int>(width, view.width), h = std::min<int>(height, view.height);
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = words + size_t(y) * size_t(width);
        if (view.format.bitCount == 32) {
            uint32_t* out = view.Row<uint32_t>(y);
            for (int x = 0; x < w; ++x)
                out[x] = writeKey && (in[x] >> 24) != 255 ? key : ArgbToSurfacePixel(in[x], view);
        } else if (view.format.bitCount == 16) {
            uint16_t* out = view.Row<uint16_t>(y);
            for (int x = 0; x < w; ++x)
                out[x] = uint16_t(writeKey && (in[x] >> 24) != 255 ? key : ArgbToSurfacePixel(in[x], view));
        }
    }
}

DisplaySurface* DDImage::EnsureSurface()
{
    if (!surface)
        CreateSurface();
    return surface;
}

bool DDImage::AcquireSurfaceLock()
{
    if (IsRenderTarget())
        return false;
    if (lockCount == 0) {
        lockDesc = SurfaceDesc{};
        if (!surface && !CreateSurface())
            return false;
        if (!surface || Failed(surface->Lock(&lockDesc, DDLOCK_WAIT)))
            return false;
    }
    ++lockCount;
    return true;
}

bool DDImage::ReleaseSurfaceLock()
{
    if (IsRenderTarget())
        return false;
    // A release without a matching acquisition changes nothing.
    if (lockCount <= 0)
        return false;
    if (--lockCount == 0 && surface)
        surface->Unlock();
    return true;
}

void DDImage::AttachSurface(DisplaySurface* newSurface)
{
    surfaceAttached = true;
    if (newSurface)
        newSurface->AddRef();
    if (surface) {
        if (lockCount > 0)
            surface->Unlock();
        surface->Release();
    }
    lockCount = 0;
    surface = newSurface;
    if (surface) {
        width = int32_t(surface->Width());
        height = int32_t(surface->Height());
    }
    noSurfaceAccess = false;
}

uint32_t* DDImage::Pixels()
{
    if (bits)
        return bits.get();
    if (!surface)
        return MemoryImage::Pixels();
    if (noSurfaceAccess || !display || !AcquireSurfaceLock())
        return nullptr;
    const int64_t n = PixelCount();
    std::unique_ptr<uint32_t[]> words(n >= 0 ? new (std::nothrow) uint32_t[size_t(n) + 1] : nullptr);
    if (!words) {
        ReleaseSurfaceLock();
        return nullptr;
    }
    words[n] = kImageGuardWord;
    ReadLockedSurface(MakeSurfaceView(lockDesc, *display), words.get());
    ReleaseSurfaceLock();
    bits = std::move(words);
    return bits.get();
}

void DDImage::ReadLockedSurface(const SurfaceView& view, uint32_t* words) const
{
    const int w = std::min<int>(width, view.width), h = std::min<int>(height, view.height);
    if (w < width || h < height)
        std::fill(words, words + PixelCount(), 0u);
    for (int y = 0; y < h; ++y) {
        uint32_t* out = words + size_t(y) * size_t(width);
        if (view.format.bitCount == 32) {
            const uint32_t* in = view.Row<uint32_t>(y);
            for (int x = 0; x < w; ++x)
                out[x] = SurfacePixelToArgb(in[x], view);
        } else if (view.format.bitCount == 16) {
            const uint16_t* in = view.Row<uint16_t>(y);
            for (int x = 0; x < w; ++x)
                out[x] = SurfacePixelToArgb(in[x], view);
        }
    }
}

bool DDImage::ReadPictureInto(uint32_t* out) const
{
    // As Pixels reads, but the surface is locked only for the read and
    // nothing is kept.
    if (bits || !surface)
        return MemoryImage::ReadPictureInto(out);
    if (noSurfaceAccess || !display || IsRenderTarget())
        return false;
    if (lockCount > 0) {
        ReadLockedSurface(MakeSurfaceView(lockDesc, *display), out);
        return true;
    }
    SurfaceDesc desc;
    if (Failed(surface->Lock(&desc, DDLOCK_WAIT)))
        return false;
    ReadLockedSurface(MakeSurfaceView(desc, *display), out);
    surface->Unlock();
    return true;
}

void DDImage::DropSurface()
{
    if (!surface)
        return;
    if (!palette && !bits && !(textureData && textureData->HoldsPicture(*this)))
        Pixels();
    if (lockCount > 0)
        surface->Unlock();
    lockCount = 0;
    surface->Release();
    surface = nullptr;
}

void DDImage::DropMemoryCopies()
{
    bits.reset();
    nativeAlpha.reset();
    rlAlpha.reset();
    rlAdditive.reset();
    palette.reset();
    paletteIndices.reset();
    paletteCount = 0;
}

bool DDImage::SetColorKeyFromFirstPixel()
{
    if (!EnsureSurface() || noSurfaceAccess || !hasTrans || !colorKeyFromFirstPixel)
        return false;
    if (!display)
        return false;
    const int bitCount = display->layout.bitCount;
    if ((bitCount != 16 && bitCount != 24 && bitCount != 32) || !AcquireSurfaceLock())
        return false;
    uint32_t value = 0;
    if (bitCount == 16) {
        uint16_t v;
        std::memcpy(&v, lockDesc.bits, 2);
        value = v;
    } else {
        std::memcpy(&value, lockDesc.bits, 4);
    }
    SurfaceColorKey key{value, value};
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
    keyUnavailable = false;
    return ReleaseSurfaceLock();
}

void DDImage::PreferVideoMemory(bool prefer)
{
    if (prefer == preferVideoMemory)
        return;
    preferVideoMemory = prefer;
    Pixels();
    DropSurface();
}

// ---- Storage operations

void DDImage::ReleaseBits()
{
    if (surfaceAttached)
        return;
    purgeBits = true;
    ApplyBitsChange();
    if (In3DMode()) {
        if (surface)
            DropSurface();
        MemoryImage::ReleaseBits();
        return;
    }
    if (keepOnSurface && CreateSurface()) {
        bits.reset();
        paletteIndices.reset();
        palette.reset();
        paletteCount = 0;
        return;
    }
    MemoryImage::ReleaseBits();
}

void DDImage::ReleaseCaches()
{
    if (surfaceAttached)
        return;
    MemoryImage::ReleaseCaches();
    DropSurface();
}

void DDImage::ReleaseDisplayCopy()
{
    if (surfaceAttached)
        return;
    MemoryImage::ReleaseDisplayCopy();
    DropSurface();
}

void DDImage::ReapplyStorageOptions()
{
    MemoryImage::ReapplyStorageOptions();
    if (keepOnSurface)
        CreateSurface();
}

void DDImage::NotePixelsEdited()
{
    MemoryImage::NotePixelsEdited();
    // The bits are newer than the surface. A surface of the display stays
    // and takes the edited bits, so that the next surface draw (which frees
    // the bits) keeps the edit.
    if (surface && surfaceAttached) {
        if (bits && !noSurfaceAccess && display && AcquireSurfaceLock()) {
            WriteBitsToLockedSurface(MakeSurfaceView(lockDesc, *display), false, 0);
            ReleaseSurfaceLock();
        }
        return;
    }
    if (surface) {
        if (lockCount > 0)
            surface->Unlock();
        lockCount = 0;
        surface->Release();
        surface = nullptr;
    }
}

void DDImage::ApplyBitsChange()
{
    if (!surface)
        MemoryImage::ApplyBitsChange();
}

void DDImage::Resize(int w, int h)
{
    // As MemoryImage::Resize (which also drops the surface through
    // NotePixelsEdited), but the transparency flags stay.
    const bool trans = hasTrans, alpha = hasAlpha;
    MemoryImage::Resize(w, h);
    hasTrans = trans;
    hasAlpha = alpha;
}

bool DDImage::TryPalettize()
{
    if (!MemoryImage::TryPalettize())
        return false;
    DropSurface();
    return true;
}

} // namespace Quib
