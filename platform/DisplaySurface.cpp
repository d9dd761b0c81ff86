#include "platform/DisplaySurface.h"

#include "platform/SystemFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace Quib {

namespace {

// Larger surfaces are refused rather than allocated.
constexpr uint64_t kMaxSurfaceBytes = 256ull << 20;

bool TakeFault(std::atomic<int>& counter)
{
    int left = counter.load();
    while (left > 0)
        if (counter.compare_exchange_weak(left, left - 1))
            return true;
    return false;
}

bool InsideSurface(const SurfaceRect& r, uint32_t width, uint32_t height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && uint32_t(r.right) <= width &&
           uint32_t(r.bottom) <= height;
}

template <class T>
void FillRows(uint8_t* bits, int32_t pitch, const SurfaceRect& r, uint32_t value)
{
    for (int32_t y = r.top; y < r.bottom; ++y) {
        T* row = reinterpret_cast<T*>(bits + size_t(y) * size_t(pitch));
        std::fill(row + r.left, row + r.right, T(value));
    }
}

// The nearest-pixel copy of the source rectangle onto the destination
// rectangle: destination column x takes source column x * srcW / destW
// (rows alike); with a key, source values inside it are skipped.
template <class T>
void BltRows(uint8_t* destBits, int32_t destPitch, const SurfaceRect& dest, const uint8_t* srcBits,
             int32_t srcPitch, const SurfaceRect& source, const SurfaceColorKey* key)
{
    const int32_t destW = dest.right - dest.left, destH = dest.bottom - dest.top;
    const int32_t srcW = source.right - source.left, srcH = source.bottom - source.top;
    if (srcW == destW && srcH == destH && !key) {
        // A plain copy: one row copy per row, no division.
        const uint8_t* in = srcBits + size_t(source.top) * size_t(srcPitch) + size_t(source.left) * sizeof(T);
        uint8_t* out = destBits + size_t(dest.top) * size_t(destPitch) + size_t(dest.left) * sizeof(T);
        for (int32_t y = 0; y < destH; ++y, in += srcPitch, out += destPitch)
            std::memcpy(out, in, size_t(destW) * sizeof(T));
        return;
    }
    for (int32_t y = 0; y < destH; ++y) {
        const int32_t sy = source.top + int32_t(int64_t(y) * srcH / destH);
        const T* in = reinterpret_cast<const T*>(srcBits + size_t(sy) * size_t(srcPitch)) + source.left;
        T* out = reinterpret_cast<T*>(destBits + size_t(dest.top + y) * size_t(destPitch)) + dest.left;
        if (srcW == destW && !key) {
            std::memcpy(out, in, size_t(destW) * sizeof(T));
            continue;
        }
        // sx steps by srcW / destW: whole part and remainder.
        const int32_t whole = srcW / destW, rest = srcW % destW;
        int32_t sx = 0, remainder = 0;
        for (int32_t x = 0; x < destW; ++x) {
            const T value = in[sx];
            if (!key || value < key->low || value > key->high)
                out[x] = value;
            sx += whole;
            remainder += rest;
            if (remainder >= destW) {
                remainder -= destW;
                ++sx;
            }
        }
    }
}

} // namespace

SurfaceFaults& GetSurfaceFaults()
{
    static SurfaceFaults faults;
    return faults;
}

DisplaySurface::DisplaySurface(uint32_t width, uint32_t height, const SurfacePixelFormat& format, uint32_t caps,
                               int32_t pitch)
    : mWidth(width), mHeight(height), mFormat(format), mCaps(caps), mPitch(pitch)
{
}

HRESULT DisplaySurface::Create(const SurfaceDesc& desc, const SurfacePixelFormat& format, DisplaySurface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if ((desc.flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc.width == 0 ||
        desc.height == 0)
        return DDERR_INVALIDPARAMS;
    if (format.bitCount != 16 && format.bitCount != 32)
        return DDERR_INVALIDPIXELFORMAT;
    uint32_t caps = (desc.flags & DDSD_CAPS) ? desc.caps : 0;
    if (!(caps & (DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY)))
        caps |= DDSCAPS_VIDEOMEMORY;
    if (TakeFault(GetSurfaceFaults().failCreate))
        return (caps & DDSCAPS_VIDEOMEMORY) ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
    const uint64_t pitch = (uint64_t(desc.width) * (format.bitCount / 8) + 3) & ~uint64_t(3);
    const uint64_t bytes = pitch * desc.height;
    if (pitch > kMaxSurfaceBytes || bytes > kMaxSurfaceBytes)
        return DDERR_OUTOFMEMORY;
    auto* surface = new (std::nothrow) DisplaySurface(desc.width, desc.height, format, caps, int32_t(pitch));
    if (!surface)
        return DDERR_OUTOFMEMORY;
    surface->mBits.reset(new (std::nothrow) uint8_t[bytes]());
    if (!surface->mBits) {
        delete surface;
        return DDERR_OUTOFMEMORY;
    }
    *out = surface;
    return DD_OK;
}

uint32_t DisplaySurface::AddRef()
{
    return ++mRefs;
}

uint32_t DisplaySurface::Release()
{
    uint32_t left = --mRefs;
    if (left == 0)
        delete this;
    return left;
}

void DisplaySurface::BringToMemory(const SurfaceRect* rect) const
{
    if (mMirror)
        mMirror->BringToMemory(*this, mBits.get(), rect);
}

void DisplaySurface::MemoryChanged(const SurfaceRect* rect)
{
    if (mMirror)
        mMirror->MemoryChanged(*this, rect);
}

uint8_t* DisplaySurface::Bits()
{
    BringToMemory();
    return mBits.get();
}

const uint8_t* DisplaySurface::Bits() const
{
    BringToMemory();
    return mBits.get();
}

HRESULT DisplaySurface::Lock(SurfaceDesc* desc, uint32_t flags)
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    if (mLocked)
        return DDERR_SURFACEBUSY;
    if (TakeFault(GetSurfaceFaults().failLock))
        return DDERR_SURFACELOST;
    BringToMemory();
    GetSurfaceDesc(desc);
    desc->flags |= DDSD_LPSURFACE;
    desc->bits = mBits.get();
    mLocked = true;
    mLockedForWrite = !(flags & DDLOCK_READONLY);
    return DD_OK;
}

HRESULT DisplaySurface::Unlock()
{
    if (!mLocked)
        return DDERR_NOTLOCKED;
    mLocked = false;
    if (mLockedForWrite)
        MemoryChanged(nullptr);
    mLockedForWrite = false;
    return DD_OK;
}

HRESULT DisplaySurface::GetSurfaceDesc(SurfaceDesc* desc) const
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    *desc = SurfaceDesc{};
    desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = mWidth;
    desc->height = mHeight;
    desc->pitch = mPitch;
    desc->format = mFormat;
    desc->caps = mCaps;
    if (mHasSourceKey) {
        desc->flags |= DDSD_CKSRCBLT;
        desc->sourceKey = mSourceKey;
    }
    return DD_OK;
}

HRESULT DisplaySurface::SetColorKey(uint32_t flags, const SurfaceColorKey* key)
{
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_INVALIDPARAMS;
    mHasSourceKey = key != nullptr;
    if (key)
        mSourceKey = *key;
    return DD_OK;
}

HRESULT DisplaySurface::GetColorKey(uint32_t flags, SurfaceColorKey* key) const
{
    if (!(flags & DDCKEY_SRCBLT) || !key)
        return DDERR_INVALIDPARAMS;
    if (!mHasSourceKey)
        return DDERR_NOCOLORKEY;
    *key = mSourceKey;
    return DD_OK;
}

uint32_t DisplaySurface::PixelAt(uint32_t x, uint32_t y) const
{
    BringToMemory();
    const uint8_t* row = mBits.get() + size_t(y) * size_t(mPitch);
    if (mFormat.bitCount == 32) {
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, row + size_t(x) * 2, 2);
    return v;
}

void DisplaySurface::SetPixelAt(uint32_t x, uint32_t y, uint32_t value)
{
    BringToMemory();
    const SurfaceRect changed{int32_t(x), int32_t(y), int32_t(x) + 1, int32_t(y) + 1};
    uint8_t* row = mBits.get() + size_t(y) * size_t(mPitch);
    if (mFormat.bitCount == 32) {
        std::memcpy(row + size_t(x) * 4, &value, 4);
    } else {
        uint16_t v = uint16_t(value);
        std::memcpy(row + size_t(x) * 2, &v, 2);
    }
    MemoryChanged(&changed);
}

HRESULT DisplaySurface::Blt(const SurfaceRect* destRect, DisplaySurface* src, const SurfaceRect* srcRect,
                            uint32_t flags, uint32_t fillColor)
{
    SurfaceRect dest = destRect ? *destRect : SurfaceRect{0, 0, int32_t(mWidth), int32_t(mHeight)};
    if (!InsideSurface(dest, mWidth, mHeight))
        return DDERR_INVALIDRECT;
    if (mLocked || (src && src != this && src->mLocked))
        return DDERR_SURFACEBUSY;
    uint32_t mask = mFormat.bitCount == 32 ? 0xFFFFFFFFu : 0xFFFFu;
    if (flags & DDBLT_COLORFILL) {
        BringToMemory(&dest);
        if (mFormat.bitCount == 32)
            FillRows<uint32_t>(mBits.get(), mPitch, dest, fillColor);
        else
            FillRows<uint16_t>(mBits.get(), mPitch, dest, fillColor);
        MemoryChanged(&dest);
        return DD_OK;
    }
    if (!src)
        return DDERR_INVALIDPARAMS;
    SurfaceRect source = srcRect ? *srcRect : SurfaceRect{0, 0, int32_t(src->mWidth), int32_t(src->mHeight)};
    if (!InsideSurface(source, src->mWidth, src->mHeight))
        return DDERR_INVALIDRECT;
    if (!(src->mFormat == mFormat))
        return DDERR_INVALIDPIXELFORMAT;
    bool keyed = (flags & DDBLT_KEYSRC) != 0;
    if (keyed && !src->mHasSourceKey)
        return DDERR_NOCOLORKEY;
    const SurfaceColorKey key{src->mSourceKey.low & mask, src->mSourceKey.high & mask};
    src->BringToMemory(&source);
    BringToMemory(&dest);
    // A blit of a surface onto itself reads from a copy of the source.
    std::unique_ptr<uint8_t[]> copy;
    const uint8_t* from = src->mBits.get();
    if (src == this) {
        size_t bytes = size_t(mPitch) * mHeight;
        copy.reset(new (std::nothrow) uint8_t[bytes]);
        if (!copy)
            return DDERR_OUTOFMEMORY;
        std::memcpy(copy.get(), mBits.get(), bytes);
        from = copy.get();
    }
    if (mFormat.bitCount == 32)
        BltRows<uint32_t>(mBits.get(), mPitch, dest, from, src->mPitch, source, keyed ? &key : nullptr);
    else
        BltRows<uint16_t>(mBits.get(), mPitch, dest, from, src->mPitch, source, keyed ? &key : nullptr);
    MemoryChanged(&dest);
    return DD_OK;
}

HRESULT DisplaySurface::DrawText(const SystemFont& font, std::u16string_view text, uint32_t argb, int x, int y,
                                 const SurfaceRect& clip, float scaleX, float scaleY)
{
    if (mLocked)
        return DDERR_SURFACEBUSY;
    if (TakeFault(GetSurfaceFaults().failText))
        return DDERR_CANTCREATEDC;
    // Where the text can land: its cell from (x, y), as far as its advance
    // and a cell height of overhang reach, inside the clip and the surface.
    const double sx = scaleX > 0.0f ? double(scaleX) : 1.0, sy = scaleY > 0.0f ? double(scaleY) : 1.0;
    const double reach = (double(font.LineWidth(text)) + font.Height()) * sx;
    const double tall = std::ceil(double(font.Height()) * sy);
    SurfaceRect touched;
    touched.left = int32_t(std::clamp<int64_t>(std::max<int64_t>(x, clip.left), 0, mWidth));
    touched.top = int32_t(std::clamp<int64_t>(std::max<int64_t>(y, clip.top), 0, mHeight));
    touched.right = int32_t(
        std::clamp<double>(std::min<double>(double(x) + reach, double(clip.right)), 0.0, double(mWidth)));
    touched.bottom = int32_t(
        std::clamp<double>(std::min<double>(double(y) + tall, double(clip.bottom)), 0.0, double(mHeight)));
    if (touched.right <= touched.left || touched.bottom <= touched.top)
        return DD_OK;
    BringToMemory(&touched);
    SurfaceDesc target;
    target.width = mWidth;
    target.height = mHeight;
    target.pitch = mPitch;
    target.bits = mBits.get();
    target.format = mFormat;
    font.BlendInto(target, text, argb, x, y, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
                   scaleX, scaleY);
    MemoryChanged(&touched);
    return DD_OK;
}

} // namespace Quib
