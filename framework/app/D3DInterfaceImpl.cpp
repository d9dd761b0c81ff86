#include "framework/app/D3DInterfaceImpl.h"

#include "framework/core/TriangleVertex.h"
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PolygonClip.h"
#include "framework/graphics/SoftwareDevice3D.h"
#include "platform/MessageSink.h"
#include "platform/ResultNames.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace Quib {

namespace {

// The largest texture side used, whatever the device offers.
constexpr int32_t kTextureSideCap = 1024;
// Triangles per draw of a one-piece image.
constexpr int kTrianglesPerDraw = 100;

std::recursive_mutex gNoDisplayLock;

} // namespace

D3DInterfaceImpl::D3DInterfaceImpl(ImageDisplay* display) : display_(display) {}

D3DInterfaceImpl::DeviceFactory D3DInterfaceImpl::AdapterDeviceFactory(GraphicsAdapter* adapter, uint32_t width,
                                                                       uint32_t height)
{
    return [adapter, width, height]() -> std::unique_ptr<Device3D> {
        std::unique_ptr<Device3D> device;
        const HRESULT made = adapter ? adapter->CreateDevice(width, height, &device) : D3DERR_INITFAILED;
        if (Succeeded(made) && device)
            return device;
        OutputDebugString("3-D device: the adapter made none (" + HResultToName(made) +
                          "); drawing with the software device\n");
        return std::make_unique<SoftwareDevice3D>();
    };
}

D3DInterfaceImpl::~D3DInterfaceImpl()
{
    Cleanup();
}

bool D3DInterfaceImpl::Init(DisplaySurface* drawSurface)
{
    Cleanup();
    ClearD3DErrorText();
    if (!drawSurface) {
        D3DCheckResult("Query DrawSurface", DDERR_INVALIDOBJECT);
        return false;
    }
    drawSurface->AddRef();
    drawSurface_ = drawSurface;
    return CreateDevice();
}

bool D3DInterfaceImpl::CreateDevice()
{
    device_ = deviceFactory ? deviceFactory() : std::make_unique<SoftwareDevice3D>();
    if (!device_) {
        D3DCheckResult("CreateDevice", D3DERR_INITFAILED);
        return false;
    }
    if (D3DCheckResult("CreateDevice", device_->SetRenderTarget(drawSurface_))) {
        device_.reset();
        return false;
    }
    DeviceCaps caps;
    if (D3DCheckResult("", device_->GetCaps(&caps))) {
        device_.reset();
        return false;
    }
    if (caps.maxTextureWidth == 0) {
        limits.maxWidth = limits.maxHeight = limits.minWidth = limits.minHeight = 64;
        limits.maxAspect = 1;
    } else {
        const auto side = [](uint32_t v) { return int32_t(std::min<uint32_t>(v, INT32_MAX)); };
        limits.maxWidth = side(caps.maxTextureWidth);
        limits.maxHeight = side(caps.maxTextureHeight);
        limits.minWidth = side(caps.minTextureWidth);
        limits.minHeight = side(caps.minTextureHeight);
        limits.maxAspect = side(caps.maxTextureAspect);
    }
    limits.maxWidth = std::clamp(limits.maxWidth, 1, kTextureSideCap);
    limits.maxHeight = std::clamp(limits.maxHeight, 1, kTextureSideCap);
    limits.minWidth = std::clamp(limits.minWidth, 1, limits.maxWidth);
    limits.minHeight = std::clamp(limits.minHeight, 1, limits.maxHeight);
    if (limits.maxAspect == 0)
        limits.maxAspect = 65536;
    limits.memory = caps.textureMemory;
    linearFilter_ = false;
    supportedFormats = caps.textureFormats &
                       (TEXTURE_FORMAT_A8R8G8B8 | TEXTURE_FORMAT_A4R4G4B4 | TEXTURE_FORMAT_R5G6B5);
    SetupViewport();
    device_->Clear(0xFF000000u);
    return true;
}

void D3DInterfaceImpl::SetupViewport()
{
    if (!device_ || !drawSurface_)
        return;
    viewport_ = DeviceViewport{0, 0, int32_t(drawSurface_->Width()), int32_t(drawSurface_->Height())};
    device_->SetViewport(viewport_);
}

void D3DInterfaceImpl::Cleanup()
{
    if (sceneOpen_ && device_)
        device_->EndScene();
    sceneOpen_ = false;
    {
        std::lock_guard lock(display_ ? display_->critSect : gNoDisplayLock);
        for (auto& [image, data] : textures_) {
            // Where the textures are the only copy of the picture, it is
            // read back before they go.
            auto* dd = dynamic_cast<DDImage*>(image);
            if (!image->bits && !image->palette && !image->nativeAlpha && !(dd && dd->surface))
                image->Pixels();
            image->textureData = nullptr;
        }
        textures_.clear();
    }
    device_.reset();
    if (drawSurface_) {
        drawSurface_->Release();
        drawSurface_ = nullptr;
    }
}

void D3DInterfaceImpl::EndDraw()
{
    if (sceneOpen_ && device_)
        device_->EndScene();
    sceneOpen_ = false;
    ClearD3DErrorText();
}

size_t D3DInterfaceImpl::TexturedImageCount() const
{
    std::lock_guard lock(display_ ? display_->critSect : gNoDisplayLock);
    return textures_.size();
}

bool D3DInterfaceImpl::BeginDraw()
{
    if (drawingSuspended && drawingSuspended())
        return false;
    if (!device_)
        return false;
    if (sceneOpen_)
        return true;
    const HRESULT target = device_->SetRenderTarget(drawSurface_);
    if (Failed(target)) {
        gD3DRenderTargetFailed = true;
        D3DCheckResult("SetRenderTarget", target);
        return false;
    }
    gD3DRenderTargetFailed = false;
    device_->BeginScene();
    device_->SetViewport(viewport_);
    device_->SetBlend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    device_->SetFilter(TextureFilter::Point);
    device_->SetAlphaOp(AlphaOp::Modulate);
    sceneOpen_ = true;
    linearFilter_ = false;
    return true;
}

void D3DInterfaceImpl::SetBlendMode(DrawMode mode)
{
    if (!device_)
        return;
    const bool blended = mode == DRAWMODE_NORMAL || mode == DRAWMODE_NORMAL_COLOR;
    const bool textureColor = mode == DRAWMODE_NORMAL || mode == DRAWMODE_ADDITIVE;
    device_->SetBlend(BlendFactor::SourceAlpha, blended ? BlendFactor::InverseSourceAlpha : BlendFactor::One);
    device_->SetColorArg(textureColor ? ColorArg::Texture : ColorArg::Diffuse);
}

void D3DInterfaceImpl::SetLinearFilter(bool linear)
{
    if (!device_ || linear == linearFilter_)
        return;
    D3DCheckResult(linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point",
                   device_->SetFilter(linear ? TextureFilter::Linear : TextureFilter::Point));
    linearFilter_ = linear;
}

void D3DInterfaceImpl::Transform(float& x, float& y) const
{
    if (!HasTransform())
        return;
    const auto& m = TopTransform().m;
    const float px = x, py = y;
    x = m[0][0] * px + m[0][1] * py + m[0][2];
    y = m[1][0] * px + m[1][1] * py + m[1][2];
}

void D3DInterfaceImpl::DrawUntextured(PrimitiveType type, DeviceVertex* vertices, uint32_t count, const char* what)
{
    D3DCheckResult("SetTexture NULL", device_->SetTexture(nullptr));
    D3DCheckResult(what, device_->DrawPrimitive(type, vertices, count));
}

void D3DInterfaceImpl::FillRect(const Rect& rect, const Color& color, DrawMode mode)
{
    if (!BeginDraw())
        return;
    SetBlendMode(mode);
    const uint32_t c = PackDeviceColor(color);
    const float left = float(rect.x), top = float(rect.y);
    const float right = float(int64_t(rect.x) + rect.width), bottom = float(int64_t(rect.y) + rect.height);
    DeviceVertex quad[4] = {MakeDeviceVertex(left, top, c), MakeDeviceVertex(left, bottom, c),
                            MakeDeviceVertex(right, top, c), MakeDeviceVertex(right, bottom, c)};
    for (DeviceVertex& v : quad) {
        Transform(v.x, v.y);
        v.x -= 0.5f;
        v.y -= 0.5f;
    }
    DrawUntextured(PrimitiveType::TriangleStrip, quad, 4, "DrawPrimitive (Rect)");
}

void D3DInterfaceImpl::FillPoly(const Point* points, int count, const Rect* clip, const Color& color, DrawMode mode,
                                int tx, int ty)
{
    if (!points || count < 3 || !BeginDraw())
        return;
    SetBlendMode(mode);
    const uint32_t c = PackDeviceColor(color);
    VertexList polygon;
    for (int i = 0; i < count; ++i) {
        float x = float(int64_t(points[i].x) + tx), y = float(int64_t(points[i].y) + ty);
        Transform(x, y);
        polygon.Add(MakeDeviceVertex(x, y, c));
    }
    if (!clip) {
        DrawUntextured(PrimitiveType::TriangleFan, polygon.Data(), uint32_t(polygon.Size()),
                       "DrawPrimitive (FillPoly)");
        return;
    }
    D3DCheckResult("SetTexture NULL", device_->SetTexture(nullptr));
    ClipAndDrawFan(*device_, *clip, polygon);
}

void D3DInterfaceImpl::DrawLine(const Color& color, DrawMode mode, double x1, double y1, double x2, double y2)
{
    if (!BeginDraw())
        return;
    SetBlendMode(mode);
    const uint32_t c = PackDeviceColor(color);
    float ax = float(x1), ay = float(y1), bx = float(x2), by = float(y2);
    Transform(ax, ay);
    Transform(bx, by);
    DeviceVertex line[3] = {MakeDeviceVertex(ax, ay, c), MakeDeviceVertex(bx, by, c),
                            MakeDeviceVertex(bx + 0.5f, by + 0.5f, c)};
    DrawUntextured(PrimitiveType::LineStrip, line, 3, "DrawPrimitive (Line)");
}

bool D3DInterfaceImpl::PrepareTextures(MemoryImage* image)
{
    if (!image || !device_)
        return false;
    bool created = false;
    if (!image->textureData) {
        auto data = std::make_unique<TextureData>();
        data->owner = this;
        std::lock_guard lock(display_ ? display_->critSect : gNoDisplayLock);
        image->textureData = data.get();
        textures_[image] = std::move(data);
        created = true;
    }
    const bool purge = created && image->purgeBits;
    image->textureData->Refresh(*image, *device_, limits, supportedFormats);
    if (purge)
        image->ReleaseBits();
    return image->textureData && image->textureData->format != 0;
}

void D3DInterfaceImpl::ForgetImageTextures(MemoryImage* image)
{
    if (!image)
        return;
    std::unique_ptr<TextureData> data;
    {
        std::lock_guard lock(display_ ? display_->critSect : gNoDisplayLock);
        const auto found = textures_.find(image);
        if (found == textures_.end())
            return;
        data = std::move(found->second);
        textures_.erase(found);
        image->textureData = nullptr;
    }
    data->ReleaseTextures();
}

void D3DInterfaceImpl::Blt(const TriangleVertex* vertices, int triangleCount, const Color& color, DrawMode mode,
                           Image* source, float x, float y, bool smooth)
{
    if (!vertices || triangleCount <= 0 || !BeginDraw())
        return;
    auto* image = dynamic_cast<MemoryImage*>(source);
    if (!image || !PrepareTextures(image))
        return;
    SetBlendMode(mode);
    SetLinearFilter(smooth);
    const TextureData& data = *image->textureData;
    if (data.pieces.empty())
        return;
    const uint32_t drawColor = PackDeviceColor(color);
    const auto corner = [&](const TriangleVertex& t) {
        return MakeDeviceVertex(x + t.x, y + t.y, t.color ? t.color : drawColor, t.u * data.extentU,
                                t.v * data.extentV);
    };

    if (data.extentU <= 1.0f && data.extentV <= 1.0f) {
        // One piece: triangle lists of at most 100 triangles.
        D3DCheckResult("SetTexture gTexture", device_->SetTexture(data.pieces[0].texture));
        DeviceVertex batch[3 * kTrianglesPerDraw];
        for (int first = 0; first < triangleCount; first += kTrianglesPerDraw) {
            const int n = std::min(kTrianglesPerDraw, triangleCount - first);
            for (int i = 0; i < 3 * n; ++i)
                batch[i] = corner(vertices[3 * size_t(first) + size_t(i)]);
            D3DCheckResult("DrawPrimitive (TriList)",
                           device_->DrawPrimitive(PrimitiveType::TriangleList, batch, uint32_t(3 * n)));
        }
        return;
    }

    // Several pieces: each triangle is cut into the pieces its texture
    // coordinates cover, in the pieces' own coordinates.
    for (int t = 0; t < triangleCount; ++t) {
        const DeviceVertex tri[3] = {corner(vertices[3 * size_t(t)]), corner(vertices[3 * size_t(t) + 1]),
                                     corner(vertices[3 * size_t(t) + 2])};
        float minU = tri[0].tu, maxU = minU, minV = tri[0].tv, maxV = minV;
        for (const DeviceVertex& v : tri) {
            minU = std::min(minU, v.tu);
            maxU = std::max(maxU, v.tu);
            minV = std::min(minV, v.tv);
            maxV = std::max(maxV, v.tv);
        }
        if (!std::isfinite(minU) || !std::isfinite(maxU) || !std::isfinite(minV) || !std::isfinite(maxV))
            continue;
        const int firstColumn = int(std::floor(std::clamp(minU, 0.0f, data.extentU)));
        const int endColumn = std::min(data.columns, int(std::ceil(std::clamp(maxU, 0.0f, data.extentU))));
        const int firstRow = int(std::floor(std::clamp(minV, 0.0f, data.extentV)));
        const int endRow = std::min(data.rows, int(std::ceil(std::clamp(maxV, 0.0f, data.extentV))));
        for (int row = firstRow; row < endRow; ++row) {
            for (int column = firstColumn; column < endColumn; ++column) {
                const TexturePiece& piece = data.pieces[size_t(row) * size_t(data.columns) + size_t(column)];
                const float scaleU = float(data.pieceWidth) / float(piece.textureWidth);
                const float scaleV = float(data.pieceHeight) / float(piece.textureHeight);
                VertexList polygon;
                for (DeviceVertex v : tri) {
                    v.tu = (v.tu - float(column)) * scaleU;
                    v.tv = (v.tv - float(row)) * scaleV;
                    polygon.Add(v);
                }
                ClipToUnitTexture(polygon);
                if (polygon.Size() <= 2)
                    continue;
                D3DCheckResult("SetTexture gTexture", device_->SetTexture(piece.texture));
                D3DCheckResult("DrawPrimitive (Tri) 4",
                               device_->DrawPrimitive(PrimitiveType::TriangleFan, polygon.Data(),
                                                      uint32_t(polygon.Size())));
            }
        }
    }
}

void D3DInterfaceImpl::BltTransformed(const Color& color, const Rect& sourceRect, Image* source, const Rect* clip,
                                      DrawMode mode, const Matrix3x3& matrix, bool linear, float x, float y,
                                      bool center)
{
    if (!BeginDraw())
        return;
    auto* image = dynamic_cast<MemoryImage*>(source);
    if (!image || !PrepareTextures(image))
        return;
    SetBlendMode(mode);
    const uint32_t c = PackDeviceColor(color);
    const TextureData& data = *image->textureData;
    if (HasTransform()) {
        SetLinearFilter(true);
        Matrix3x3 m = Matrix3x3::Product(TopTransform(), Matrix3x3::Product(Matrix3x3::Translation(x, y), matrix));
        if (center)
            m = Matrix3x3::Product(m, Matrix3x3::Translation(-float(sourceRect.width) / 2.0f,
                                                             -float(sourceRect.height) / 2.0f));
        data.BltTransformed(*device_, m, c, sourceRect, clip, 0.0f, 0.0f, false);
        return;
    }
    SetLinearFilter(linear);
    data.BltTransformed(*device_, matrix, c, sourceRect, clip, x, y, center);
}

void D3DInterfaceImpl::PutImageMirrored(Image* source, float x, float y, const Rect& sourceRect, const Color& color,
                                        DrawMode mode)
{
    const Matrix3x3 m = Matrix3x3::Product(Matrix3x3::Product(Matrix3x3::Translation(x, y),
                                                              Matrix3x3::Scaling(-1.0f, 1.0f)),
                                           Matrix3x3::Translation(-float(sourceRect.width), 0.0f));
    BltTransformed(color, sourceRect, source, nullptr, mode, m, false, 0.0f, 0.0f, false);
}

void D3DInterfaceImpl::PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                                 const Rect& clip, const Color& color, DrawMode mode, bool fast,
                                                 bool mirror)
{
    if (sourceRect.width == 0 || sourceRect.height == 0)
        return;
    float sx = float(destRect.width) / float(sourceRect.width);
    const float sy = float(destRect.height) / float(sourceRect.height);
    Matrix3x3 m;
    if (mirror) {
        m = Matrix3x3::Translation(-float(sourceRect.width), 0.0f);
        sx = -sx;
    }
    m = Matrix3x3::Product(Matrix3x3::Scaling(sx, sy), m);
    m = Matrix3x3::Product(Matrix3x3::Translation(float(destRect.x), float(destRect.y)), m);
    BltTransformed(color, sourceRect, source, &clip, mode, m, !fast, 0.0f, 0.0f, false);
}

bool D3DInterfaceImpl::PrepareTexture(MemoryImage* source, DrawMode mode, bool linear)
{
    if (!BeginDraw() || !PrepareTextures(source))
        return false;
    SetBlendMode(mode);
    SetLinearFilter(linear);
    return true;
}

void D3DInterfaceImpl::DrawTexturePieces(MemoryImage* source, int x, int y, const Rect& sourceRect,
                                         const Color& color)
{
    TextureBlt(source, float(x), float(y), sourceRect, color);
}

void D3DInterfaceImpl::TextureBlt(MemoryImage* source, float x, float y, const Rect& sourceRect, const Color& color)
{
    if (!device_ || !sceneOpen_ || !source || !source->textureData)
        return;
    source->textureData->Blt(*device_, x, y, sourceRect, PackDeviceColor(color));
}

void D3DInterfaceImpl::TextureBltTransformed(MemoryImage* source, const Matrix3x3& matrix, const Color& color,
                                             const Rect& sourceRect, const Rect& clip, float x, float y,
                                             bool center)
{
    if (!device_ || !sceneOpen_ || !source || !source->textureData)
        return;
    source->textureData->BltTransformed(*device_, matrix, PackDeviceColor(color), sourceRect, &clip, x, y, center);
}

} // namespace Quib
