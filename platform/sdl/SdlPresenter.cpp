#include "platform/sdl/SdlPresenter.h"

#include "platform/Device3D.h"
#include "platform/MessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Quib {

namespace {

// Frames larger than this on a side are refused before anything is made.
constexpr int kMaxFrameSide = 16384;

void LogSdlFailure(const std::string& what)
{
    OutputDebugString("Presenter: " + what + ": " + SDL_GetError() + "\n");
}

bool Inside(const SurfaceRect& r, int width, int height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

// The source shown one to one over a display of its own size.
bool OneToOne(const PresentRequest& request)
{
    const SurfaceRect& src = request.source;
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    return request.displayWidth == srcW && request.displayHeight == srcH && request.dest.left == 0 &&
           request.dest.top == 0 && request.dest.right == srcW && request.dest.bottom == srcH;
}

} // namespace

SurfacePixelFormat SdlToSurfaceFormat(Uint32 sdlFormat)
{
    SurfacePixelFormat format{0, 0, 0, 0, 0};
    if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN || SDL_ISPIXELFORMAT_FOURCC(sdlFormat) ||
        SDL_ISPIXELFORMAT_INDEXED(sdlFormat))
        return format;
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (!SDL_PixelFormatEnumToMasks(sdlFormat, &bpp, &r, &g, &b, &a) || r == 0 || g == 0 || b == 0)
        return format;
    // SDL counts the colour bits (24 for RGB888, 15 for RGB555); the
    // pixel takes whole bytes.
    format.bitCount = uint32_t(SDL_BYTESPERPIXEL(sdlFormat)) * 8;
    format.redMask = r;
    format.greenMask = g;
    format.blueMask = b;
    return format;
}

Uint32 SurfaceToSdlFormat(const SurfacePixelFormat& format)
{
    if (format.bitCount != 16 && format.bitCount != 32)
        return SDL_PIXELFORMAT_UNKNOWN;
    return SDL_MasksToPixelFormatEnum(int(format.bitCount), format.redMask, format.greenMask, format.blueMask, 0);
}

std::unique_ptr<SdlPresenter> SdlPresenter::Create(SdlWindow& window, bool software, DeviceFactory factory)
{
    if (window.mPresenter || SDL_GetRenderer(window.Sdl())) {
        OutputDebugString("Presenter: the window already has a renderer\n");
        return nullptr;
    }
    software = software || window.mSoftwareRendering;
    SDL_Renderer* renderer = nullptr;
    if (!software) {
        renderer = SDL_CreateRenderer(window.Sdl(), -1, 0);
        if (!renderer)
            LogSdlFailure("no renderer");
    }
    if (!renderer) {
        renderer = SDL_CreateRenderer(window.Sdl(), -1, SDL_RENDERER_SOFTWARE);
        if (!renderer) {
            LogSdlFailure("no software renderer");
            return nullptr;
        }
    }
    return std::unique_ptr<SdlPresenter>(new SdlPresenter(window, renderer, std::move(factory)));
}

SdlPresenter::SdlPresenter(SdlWindow& window, SDL_Renderer* renderer, DeviceFactory factory)
    : mWindow(&window), mRenderer(renderer), mAdapter(std::make_unique<SdlGraphicsAdapter>(renderer)),
      mFactory(std::move(factory))
{
    mWindow->mPresenter = this;
    SDL_AddEventWatch(&SdlPresenter::EventWatch, this);
    OutputDebugString("Presenter: " + Name() + "\n");
}

SdlPresenter::~SdlPresenter()
{
    ReleaseRenderer();
}

int SdlPresenter::EventWatch(void* self, SDL_Event* event)
{
    auto* presenter = static_cast<SdlPresenter*>(self);
    if (event->type == SDL_RENDER_DEVICE_RESET) {
        ++presenter->mDeviceResets;
        presenter->mResetPending = true;
    } else if (event->type == SDL_RENDER_TARGETS_RESET) {
        ++presenter->mTargetResets;
    }
    return 1;
}

void SdlPresenter::ReleaseRenderer()
{
    if (!mRenderer) {
        if (mWindow)
            mWindow->mPresenter = nullptr;
        mWindow = nullptr;
        return;
    }
    // Listeners may remove themselves while they run.
    const auto listeners = mListeners;
    for (const auto& [id, listener] : listeners)
        if (listener)
            listener();
    SDL_DelEventWatch(&SdlPresenter::EventWatch, this);
    DropTiles();
    mAdapter.reset();
    SDL_DestroyRenderer(mRenderer);
    mRenderer = nullptr;
    if (mWindow)
        mWindow->mPresenter = nullptr;
    mWindow = nullptr;
}

void SdlPresenter::DropTiles()
{
    for (Tile& tile : mTiles)
        if (tile.texture)
            SDL_DestroyTexture(tile.texture);
    mTiles.clear();
    mTileWidth = mTileHeight = 0;
    mTileFormat = SDL_PIXELFORMAT_UNKNOWN;
}

SurfacePixelFormat SdlPresenter::ScreenFormat() const
{
    if (!mWindow)
        return SurfacePixelFormat::X8R8G8B8();
    const Uint32 sdl = SDL_GetWindowPixelFormat(mWindow->Sdl());
    if (sdl == SDL_PIXELFORMAT_UNKNOWN) {
        LogSdlFailure("the window's pixel format is unknown; taking X8R8G8B8");
        return SurfacePixelFormat::X8R8G8B8();
    }
    return SdlToSurfaceFormat(sdl);
}

void SdlPresenter::OutputSize(int& width, int& height) const
{
    width = height = 0;
    if (mRenderer && SDL_GetRendererOutputSize(mRenderer, &width, &height) != 0)
        width = height = 0;
}

std::string SdlPresenter::Name() const
{
    SDL_RendererInfo info{};
    if (!mRenderer || SDL_GetRendererInfo(mRenderer, &info) != 0 || !info.name)
        return "none";
    return info.name;
}

bool SdlPresenter::IsSoftware() const
{
    SDL_RendererInfo info{};
    return mRenderer && SDL_GetRendererInfo(mRenderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
}

std::unique_ptr<Device3D> SdlPresenter::CreateDevice3D(uint32_t width, uint32_t height)
{
    if (!mRenderer)
        return nullptr;
    if (mFactory)
        return mFactory(*this);
    return Presenter::CreateDevice3D(width, height);
}

int SdlPresenter::AddReleaseListener(std::function<void()> listener)
{
    const int id = mNextListener++;
    mListeners[id] = std::move(listener);
    return id;
}

void SdlPresenter::RemoveReleaseListener(int id)
{
    mListeners.erase(id);
}

bool SdlPresenter::EnsureTiles(int width, int height, Uint32 format)
{
    if (!mTiles.empty() && mTileWidth == width && mTileHeight == height && mTileFormat == format)
        return true;
    DropTiles();
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(mRenderer, &info) != 0) {
        LogSdlFailure("no renderer information");
        return false;
    }
    const int tileW = info.max_texture_width > 0 ? std::min(width, info.max_texture_width) : width;
    const int tileH = info.max_texture_height > 0 ? std::min(height, info.max_texture_height) : height;
    for (int y = 0; y < height; y += tileH) {
        for (int x = 0; x < width; x += tileW) {
            Tile tile;
            tile.part = {x, y, std::min(tileW, width - x), std::min(tileH, height - y)};
            tile.texture = SDL_CreateTexture(mRenderer, format, SDL_TEXTUREACCESS_STREAMING, tile.part.w,
                                             tile.part.h);
            if (!tile.texture) {
                LogSdlFailure("no frame texture of " + std::to_string(tile.part.w) + " x " +
                              std::to_string(tile.part.h));
                DropTiles();
                return false;
            }
            SDL_SetTextureBlendMode(tile.texture, SDL_BLENDMODE_NONE);
            mTiles.push_back(tile);
        }
    }
    mTileWidth = width;
    mTileHeight = height;
    mTileFormat = format;
    return true;
}

HRESULT SdlPresenter::Present(const PresentRequest& request)
{
    if (!mRenderer)
        return DDERR_SURFACELOST;
    const HRESULT result = PresentOnce(request);
    if (result != DDERR_GENERIC && result != DDERR_OUTOFVIDEOMEMORY)
        return result;
    // A failed renderer call: unless a device draws with this renderer,
    // the frame is shown by SDL's software renderer instead of not at all.
    // With a device, the next presenter of the window takes software.
    if (IsSoftware())
        return result;
    if (!mListeners.empty()) {
        mWindow->mSoftwareRendering = true;
        return result;
    }
    if (!FallBackToSoftware())
        return result;
    return PresentOnce(request);
}

bool SdlPresenter::FallBackToSoftware()
{
    OutputDebugString("Presenter: " + Name() + " failed; moving to the software renderer\n");
    DropTiles();
    mAdapter.reset();
    SDL_DestroyRenderer(mRenderer);
    mWindow->mSoftwareRendering = true;
    mLogicalWidth = mLogicalHeight = 0;
    mRenderer = SDL_CreateRenderer(mWindow->Sdl(), -1, SDL_RENDERER_SOFTWARE);
    if (!mRenderer) {
        LogSdlFailure("no software renderer");
        return false;
    }
    mAdapter = std::make_unique<SdlGraphicsAdapter>(mRenderer);
    return true;
}

HRESULT SdlPresenter::PresentOnce(const PresentRequest& request)
{
    DisplaySurface* frame = request.frame;
    if (!frame)
        return DDERR_INVALIDPARAMS;
    const int frameW = int(frame->Width()), frameH = int(frame->Height());
    if (!Inside(request.source, frameW, frameH) ||
        !Inside(request.dest, request.displayWidth, request.displayHeight) ||
        request.displayWidth > kMaxFrameSide || request.displayHeight > kMaxFrameSide)
        return DDERR_INVALIDRECT;
    const Uint32 format = SurfaceToSdlFormat(frame->Format());
    if (format == SDL_PIXELFORMAT_UNKNOWN)
        return DDERR_INVALIDPIXELFORMAT;
    if (mResetPending.exchange(false))
        DropTiles();

    const SurfaceRect& src = request.source;
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    if (srcW > kMaxFrameSide || srcH > kMaxFrameSide)
        return DDERR_INVALIDRECT;
    if (CopyIntoWindowSurface(request, format))
        return FinishPresent(DD_OK);
    if (!EnsureTiles(srcW, srcH, format))
        return DDERR_OUTOFVIDEOMEMORY;
    const int bytes = int(frame->Format().bitCount / 8);
    const uint8_t* bits = frame->Bits();
    for (const Tile& tile : mTiles) {
        const uint8_t* first = bits + size_t(src.top + tile.part.y) * size_t(frame->Pitch()) +
                               size_t(src.left + tile.part.x) * size_t(bytes);
        if (SDL_UpdateTexture(tile.texture, nullptr, first, frame->Pitch()) != 0) {
            LogSdlFailure("frame upload");
            return DDERR_GENERIC;
        }
    }

    // The window is the target while the frame is shown; a device's target
    // comes back afterwards.
    SDL_Texture* deviceTarget = SDL_GetRenderTarget(mRenderer);
    if (deviceTarget)
        SDL_SetRenderTarget(mRenderer, nullptr);
    const auto done = [&](HRESULT result) {
        if (deviceTarget)
            SDL_SetRenderTarget(mRenderer, deviceTarget);
        return result;
    };

    int outW = 0, outH = 0;
    OutputSize(outW, outH);
    if (mLogicalWidth != request.displayWidth || mLogicalHeight != request.displayHeight) {
        // Only for SDL's mapping of mouse positions; the fit below is ours.
        SDL_RenderSetLogicalSize(mRenderer, request.displayWidth, request.displayHeight);
        mLogicalWidth = request.displayWidth;
        mLogicalHeight = request.displayHeight;
    }
    const ScreenRect fit = FitDisplay(request.displayWidth, request.displayHeight, outW, outH);
    SDL_RenderSetScale(mRenderer, 1.0f, 1.0f);
    SDL_RenderSetViewport(mRenderer, nullptr);
    // A frame copied one to one over the whole output leaves nothing of the
    // clear to be seen: the clear is skipped.
    const bool wholeOutput =
        fit == ScreenRect{0, 0, outW, outH} && fit.Width() == srcW && fit.Height() == srcH && OneToOne(request);
    if (!wholeOutput &&
        (SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(mRenderer) != 0)) {
        LogSdlFailure("clear");
        return done(DDERR_GENERIC);
    }
    if (fit.Width() > 0 && fit.Height() > 0) {
        const SDL_Rect viewport{fit.left, fit.top, fit.Width(), fit.Height()};
        SDL_RenderSetViewport(mRenderer, &viewport);
        const float scaleX = float(fit.Width()) / float(request.displayWidth);
        const float scaleY = float(fit.Height()) / float(request.displayHeight);
        SDL_RenderSetScale(mRenderer, scaleX, scaleY);
        const ScreenRect dest = DisplayToClient(request.dest, request.displayWidth, request.displayHeight, fit);
        const SDL_ScaleMode scaleMode = dest.Width() == srcW && dest.Height() == srcH ? SDL_ScaleModeNearest
                                                                                      : SDL_ScaleModeLinear;
        const float unitX = float(request.dest.right - request.dest.left) / float(srcW);
        const float unitY = float(request.dest.bottom - request.dest.top) / float(srcH);
        for (const Tile& tile : mTiles) {
            SDL_SetTextureScaleMode(tile.texture, scaleMode);
            const SDL_FRect to{float(request.dest.left) + float(tile.part.x) * unitX,
                               float(request.dest.top) + float(tile.part.y) * unitY, float(tile.part.w) * unitX,
                               float(tile.part.h) * unitY};
            if (SDL_RenderCopyF(mRenderer, tile.texture, nullptr, &to) != 0) {
                LogSdlFailure("frame copy");
                return done(DDERR_GENERIC);
            }
        }
    }
    return done(FinishPresent(DD_OK));
}

// SDL's software renderer draws into the window's own surface; a frame of
// that surface's size and layout shown one to one goes straight into it,
// one row copy, instead of through a frame texture and a second copy.
bool SdlPresenter::CopyIntoWindowSurface(const PresentRequest& request, uint32_t format)
{
    const SurfaceRect& src = request.source;
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    if (!OneToOne(request))
        return false;
    // Not while a device draws with the renderer: what it has queued is
    // drawn at the present.
    if (!IsSoftware() || !mListeners.empty() || SDL_GetRenderTarget(mRenderer))
        return false;
    int outW = 0, outH = 0;
    OutputSize(outW, outH);
    if (outW != srcW || outH != srcH)
        return false;
    SDL_Surface* surface = SDL_GetWindowSurface(mWindow->Sdl());
    if (!surface || !surface->format || surface->format->format != format || surface->w != srcW ||
        surface->h != srcH)
        return false;
    DisplaySurface* frame = request.frame;
    const size_t bytes = size_t(frame->Format().bitCount / 8);
    if (size_t(surface->format->BytesPerPixel) != bytes || SDL_LockSurface(surface) != 0)
        return false;
    const uint8_t* from = frame->Bits() + size_t(src.top) * size_t(frame->Pitch()) + size_t(src.left) * bytes;
    auto* to = static_cast<uint8_t*>(surface->pixels);
    for (int y = 0; y < srcH; ++y)
        std::memcpy(to + size_t(y) * size_t(surface->pitch), from + size_t(y) * size_t(frame->Pitch()),
                    size_t(srcW) * bytes);
    SDL_UnlockSurface(surface);
    if (mLogicalWidth != srcW || mLogicalHeight != srcH) {
        // Only for SDL's mapping of mouse positions.
        SDL_RenderSetLogicalSize(mRenderer, srcW, srcH);
        mLogicalWidth = srcW;
        mLogicalHeight = srcH;
    }
    return true;
}

// The read-back when asked for, then the frame shown.
HRESULT SdlPresenter::FinishPresent(HRESULT result)
{
    int outW = 0, outH = 0;
    OutputSize(outW, outH);
    if (mCapture) {
        SDL_RenderSetScale(mRenderer, 1.0f, 1.0f);
        SDL_RenderSetViewport(mRenderer, nullptr);
        mCaptured.assign(size_t(outW) * size_t(outH), 0);
        mCapturedWidth = outW;
        mCapturedHeight = outH;
        if (outW > 0 && outH > 0 &&
            SDL_RenderReadPixels(mRenderer, nullptr, SDL_PIXELFORMAT_ARGB8888, mCaptured.data(), outW * 4) != 0)
            LogSdlFailure("read-back");
    }
    SDL_RenderPresent(mRenderer);
    return result;
}

} // namespace Quib
