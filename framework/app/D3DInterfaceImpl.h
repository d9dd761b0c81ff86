#pragma once
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/TextureData.h"
#include "platform/Device3D.h"
#include "platform/GraphicsAdapter.h"

#include <functional>
#include <map>
#include <memory>

namespace Quib {

class ImageDisplay;

// The display's 3-D side: the device drawing into the display's draw
// surface, the images' texture records, and every drawing operation of the
// render target. One scene per frame: the first draw opens it with the
// frame's states, the presentation ends it (EndDraw).
class D3DInterfaceImpl : public D3DInterface {
public:
    // Makes a device; the default makes the software device.
    using DeviceFactory = std::function<std::unique_ptr<Device3D>()>;
    // Makes the adapter's device for a draw surface of width x height, or
    // the software device (with a log line) when the adapter makes none.
    // The adapter is not owned and must outlive the factory's use.
    static DeviceFactory AdapterDeviceFactory(GraphicsAdapter* adapter, uint32_t width, uint32_t height);

    // Texture limits 64 x 64, proportion 1, until a device reports its own.
    explicit D3DInterfaceImpl(ImageDisplay* display);
    ~D3DInterfaceImpl() override;

    // Starts the device on the draw surface: clears the Direct3D error
    // text, then CreateDevice. False, with the failure recorded, when that
    // fails.
    bool Init(DisplaySurface* drawSurface);
    // Makes the device, takes its texture limits (maximum sides capped at
    // 1024, minimum at least 1, proportion 0 meaning none) and formats,
    // sets the viewport and clears the render target to opaque black.
    bool CreateDevice();
    // The viewport: the whole draw surface.
    void SetupViewport();
    // Ends an open scene, gives up every image's textures (reading the
    // picture back first where the textures are its only copy), then the
    // device and the draw surface.
    void Cleanup();
    // Ends the frame's scene and clears the Direct3D error text.
    void EndDraw();

    // Opens the frame's scene; false while drawing is suspended, without a
    // device, or when the device refuses the draw surface (that also
    // raises gD3DRenderTargetFailed and records the failure, so that the
    // next presentation leaves 3-D mode instead of showing an empty frame).
    bool BeginDraw() override;
    // Source alpha always; destination inverse source alpha for modes 0
    // and 2, one otherwise; colour from the texture for modes 0 and 1,
    // from the vertex colour otherwise.
    void SetBlendMode(DrawMode mode);
    void SetLinearFilter(bool linear) override;

    void FillRect(const Rect& rect, const Color& color, DrawMode mode) override;
    void FillPoly(const Point* points, int count, const Rect* clip, const Color& color, DrawMode mode, int tx,
                  int ty) override;
    void DrawLine(const Color& color, DrawMode mode, double x1, double y1, double x2, double y2) override;
    // Textured triangles (u, v from 0 to 1 across the image), moved by
    // (x, y); a vertex colour of 0 takes the draw colour.
    void Blt(const TriangleVertex* vertices, int triangleCount, const Color& color, DrawMode mode, Image* source,
             float x, float y, bool smooth) override;
    void BltTransformed(const Color& color, const Rect& sourceRect, Image* source, const Rect* clip, DrawMode mode,
                        const Matrix3x3& matrix, bool linear, float x, float y, bool center) override;
    void PutImageMirrored(Image* source, float x, float y, const Rect& sourceRect, const Color& color,
                          DrawMode mode) override;
    void PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                   const Color& color, DrawMode mode, bool fast, bool mirror) override;

    bool PrepareTexture(MemoryImage* source, DrawMode mode, bool linear) override;
    void DrawTexturePieces(MemoryImage* source, int x, int y, const Rect& sourceRect, const Color& color) override;
    void TextureBlt(MemoryImage* source, float x, float y, const Rect& sourceRect, const Color& color) override;
    void TextureBltTransformed(MemoryImage* source, const Matrix3x3& matrix, const Color& color,
                               const Rect& sourceRect, const Rect& clip, float x, float y, bool center) override;
    void ForgetImageTextures(MemoryImage* image) override;

    // Makes the image's texture record on first use (listing it under the
    // display's lock) and brings its textures up to date; an image made to
    // give up its bits does so once they are uploaded. False when it has
    // no usable textures.
    bool PrepareTextures(MemoryImage* image);

    Device3D* Device() const { return device_.get(); }
    bool SceneOpen() const { return sceneOpen_; }
    bool LinearFilter() const { return linearFilter_; }
    size_t TexturedImageCount() const;

    DeviceFactory deviceFactory;
    // True while no drawing may reach the device (the window is minimised).
    std::function<bool()> drawingSuspended;
    TextureLimits limits;
    TextureFormat supportedFormats = 0;

private:
    // Applies the top of the transform stack, when there is one.
    void Transform(float& x, float& y) const;
    void DrawUntextured(PrimitiveType type, DeviceVertex* vertices, uint32_t count, const char* what);

    ImageDisplay* display_;
    DisplaySurface* drawSurface_ = nullptr; // one reference, while started
    std::unique_ptr<Device3D> device_;
    DeviceViewport viewport_;
    bool sceneOpen_ = false;
    bool linearFilter_ = false;
    std::map<MemoryImage*, std::unique_ptr<TextureData>> textures_;
};

} // namespace Quib
