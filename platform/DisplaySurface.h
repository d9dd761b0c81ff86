#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace Quib {

class SystemFont;

// Result codes, with the values DirectDraw gives them.
using HRESULT = int32_t;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_UNSUPPORTED = HRESULT(0x80004001u);
constexpr HRESULT DDERR_GENERIC = HRESULT(0x80004005u);
constexpr HRESULT DDERR_INVALIDPARAMS = HRESULT(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDOBJECT = HRESULT(0x88760082u);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = HRESULT(0x88760091u);
constexpr HRESULT DDERR_INVALIDRECT = HRESULT(0x88760096u);
constexpr HRESULT DDERR_NOCOLORKEY = HRESULT(0x887600D7u);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = HRESULT(0x8876017Cu);
constexpr HRESULT DDERR_SURFACEBUSY = HRESULT(0x887601AEu);
constexpr HRESULT DDERR_CANTLOCKSURFACE = HRESULT(0x887601B3u);
constexpr HRESULT DDERR_SURFACELOST = HRESULT(0x887601C2u);
constexpr HRESULT DDERR_TOOBIGSIZE = HRESULT(0x887601E0u);
constexpr HRESULT DDERR_NOTLOCKED = HRESULT(0x88760248u);
constexpr HRESULT DDERR_CANTCREATEDC = HRESULT(0x88760249u);

inline bool Succeeded(HRESULT hr)
{
    return hr >= 0;
}
inline bool Failed(HRESULT hr)
{
    return hr < 0;
}

// Flags of a surface description, of Lock, SetColorKey and Blt.
enum : uint32_t {
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PITCH = 0x8,
    DDSD_PIXELFORMAT = 0x1000,
    DDSD_LPSURFACE = 0x800,
    DDSD_CKSRCBLT = 0x10000,

    DDSCAPS_SYSTEMMEMORY = 0x800,
    DDSCAPS_VIDEOMEMORY = 0x4000,

    DDLOCK_WAIT = 0x1,
    DDLOCK_READONLY = 0x10,

    DDCKEY_SRCBLT = 0x8,

    DDBLT_COLORFILL = 0x400,
    DDBLT_KEYSRC = 0x8000,
    DDBLT_WAIT = 0x1000000,
};

struct SurfaceRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct SurfacePixelFormat {
    uint32_t bitCount = 32; // 16 or 32
    uint32_t redMask = 0x00FF0000;
    uint32_t greenMask = 0x0000FF00;
    uint32_t blueMask = 0x000000FF;
    uint32_t alphaMask = 0;

    bool operator==(const SurfacePixelFormat&) const = default;
    static SurfacePixelFormat X8R8G8B8() { return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}; }
    static SurfacePixelFormat X8B8G8R8() { return {32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0}; }
    static SurfacePixelFormat R5G6B5() { return {16, 0xF800, 0x07E0, 0x001F, 0}; }
    static SurfacePixelFormat X1R5G5B5() { return {16, 0x7C00, 0x03E0, 0x001F, 0}; }
};

struct SurfaceColorKey {
    uint32_t low = 0;
    uint32_t high = 0;
};

// The description a surface is created from and that Lock fills in.
struct SurfaceDesc {
    uint32_t flags = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t pitch = 0;
    void* bits = nullptr;
    SurfacePixelFormat format;
    uint32_t caps = 0;
    SurfaceColorKey sourceKey;
};

// Failures tests can ask for: the next N creations, locks or text draws fail.
struct SurfaceFaults {
    std::atomic<int> failCreate{0};
    std::atomic<int> failLock{0};
    std::atomic<int> failText{0};
};
SurfaceFaults& GetSurfaceFaults();

class DisplaySurface;

// Something that keeps the pixels of a surface elsewhere as well (a render
// target in graphics memory) and may hold newer ones there. The surface
// tells it before its memory pixels are read or written, so that it can
// write its newer pixels into them, and after they were written, so that it
// takes them before it draws again. Calls come on the thread that uses the
// surface; the mirror writes into `bits` only from these calls.
class SurfaceMirror {
public:
    virtual ~SurfaceMirror() = default;
    // Writes whatever the mirror holds newer than memory inside `rect` (the
    // whole surface when null) into `bits` (the surface's rows, Pitch()
    // bytes apart).
    virtual void BringToMemory(const DisplaySurface& surface, uint8_t* bits, const SurfaceRect* rect) = 0;
    // The memory pixels inside `rect` (the whole surface when null) may
    // have changed.
    virtual void MemoryChanged(const DisplaySurface& surface, const SurfaceRect* rect) = 0;
};

// A display surface kept in memory: whole-
// surface locks, a source colour key, rectangle blits with nearest-pixel
// stretching, and reference counting (created with one reference).
class DisplaySurface {
public:
    // Creates a surface of desc's width and height (DDSD_WIDTH, DDSD_HEIGHT)
    // in `format`; desc.caps picks system or video memory.
    static HRESULT Create(const SurfaceDesc& desc, const SurfacePixelFormat& format, DisplaySurface** out);

    uint32_t AddRef();
    uint32_t Release();

    // A lock without DDLOCK_READONLY counts as a write of the whole surface.
    HRESULT Lock(SurfaceDesc* desc, uint32_t flags);
    HRESULT Unlock();
    HRESULT GetSurfaceDesc(SurfaceDesc* desc) const;
    HRESULT SetColorKey(uint32_t flags, const SurfaceColorKey* key);
    HRESULT GetColorKey(uint32_t flags, SurfaceColorKey* key) const;

    // Copies src's rectangle (whole surface when null) into this surface's
    // rectangle (whole when null), stretching by nearest pixel; with
    // DDBLT_KEYSRC, source pixels inside the source key are skipped; with
    // DDBLT_COLORFILL, fills the rectangle with fillColor instead. A
    // rectangle outside its surface fails with DDERR_INVALIDRECT.
    HRESULT Blt(const SurfaceRect* destRect, DisplaySurface* src, const SurfaceRect* srcRect, uint32_t flags,
                uint32_t fillColor = 0);

    // Draws one line of text with a system font, cell top-left at (x, y),
    // inside the clip.
    HRESULT DrawText(const SystemFont& font, std::u16string_view text, uint32_t argb, int x, int y,
                     const SurfaceRect& clip, float scaleX = 1.0f, float scaleY = 1.0f);

    uint32_t Width() const { return mWidth; }
    uint32_t Height() const { return mHeight; }
    const SurfacePixelFormat& Format() const { return mFormat; }
    bool InVideoMemory() const { return mCaps & DDSCAPS_VIDEOMEMORY; }
    bool IsLocked() const { return mLocked; }
    int32_t Pitch() const { return mPitch; }
    // The pixels, for the presenting code and tests (not locked), brought
    // up to date from the mirror. Writers lock the surface instead.
    uint8_t* Bits();
    const uint8_t* Bits() const;
    uint32_t PixelAt(uint32_t x, uint32_t y) const;
    void SetPixelAt(uint32_t x, uint32_t y, uint32_t value);

    // The mirror of the pixels (not owned; null for none). Whoever sets it
    // clears it before it goes.
    void SetMirror(SurfaceMirror* mirror) { mMirror = mirror; }
    SurfaceMirror* Mirror() const { return mMirror; }

private:
    DisplaySurface(uint32_t width, uint32_t height, const SurfacePixelFormat& format, uint32_t caps, int32_t pitch);
    ~DisplaySurface() = default;
    void BringToMemory(const SurfaceRect* rect = nullptr) const;
    void MemoryChanged(const SurfaceRect* rect);

    std::atomic<uint32_t> mRefs{1};
    uint32_t mWidth;
    uint32_t mHeight;
    SurfacePixelFormat mFormat;
    uint32_t mCaps;
    int32_t mPitch;
    std::unique_ptr<uint8_t[]> mBits;
    bool mLocked = false;
    bool mLockedForWrite = false;
    SurfaceMirror* mMirror = nullptr;
    bool mHasSourceKey = false;
    SurfaceColorKey mSourceKey;
};

} // namespace Quib
