#pragma once
#include "framework/graphics/MemoryImage.h"
#include "platform/DisplaySurface.h"

#include <cstdint>

namespace Quib {

class ImageDisplay;
struct ScanSpan;
struct SurfaceView;

// A picture of the display: a MemoryImage whose pixels may also, or only,
// live on a display surface in the display's layout. Drawing goes through
// the 3-D device when the image is the render target, into the bits when it
// cannot be drawn on its surface, and otherwise into the locked surface,
// which is then the only copy of the pixels.
class DDImage : public MemoryImage {
public:
    // The image belongs to the display's registry (to the default one
    // without a display); without an argument, to the default registry's
    // display.
    explicit DDImage(ImageDisplay* display);
    DDImage();
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;
    ~DDImage() override;

    // The operations DDImage adds.
    virtual void PreferVideoMemory(bool prefer);
    virtual bool SetColorKeyFromFirstPixel();
    // Drawing into the locked surface; rectangles, spans and image parts are
    // cut to the surface (and to the source picture).
    virtual void SurfaceFillRectangle(const Rect& rect, const Color& color);
    virtual void SurfaceFillRectangleAdditive(const Rect& rect, const Color& color);
    virtual void SurfacePutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void SurfacePutImageAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    virtual void SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void SurfaceDrawSmoothLine(double x1, double y1, double x2, double y2, const Color& color);
    // Draws nothing: there is no additive anti-aliased line on a surface.
    virtual void SurfaceDrawSmoothLineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void SurfacePutImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void SurfacePutImageMirroredAdditive(Image* source, int x, int y, const Rect& sourceRect,
                                                 const Color& color);
    // The lock nests; only the outermost pair locks and unlocks. The render
    // target never locks.
    virtual bool AcquireSurfaceLock();
    virtual bool ReleaseSurfaceLock();
    // Adopts a surface of the display (one more reference) and its size.
    virtual void AttachSurface(DisplaySurface* surface);

    // The surface, made from the bits first when there is none; null when
    // it cannot be made.
    DisplaySurface* EnsureSurface();
    bool CreateSurface();
    // Gives up the surface, reading it back first when it is the only copy.
    void DropSurface();
    // Frees every in-memory form: the surface is then the only copy.
    void DropMemoryCopies();
    bool IsRenderTarget() const;

    // Storage operations.
    void ReleaseBits() override;
    void ReleaseCaches() override;
    void ReapplyStorageOptions() override;
    void NotePixelsEdited() override;
    void ApplyBitsChange() override;
    void ReleaseDisplayCopy() override;
    void Resize(int w, int h) override;
    uint32_t* Pixels() override;
    bool TryPalettize() override;
    bool ReadPictureInto(uint32_t* out) const override;

    // Drawing operations.
    bool TryFillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color, DrawMode mode,
                        int tx, int ty) override;
    void FillRectangle(const Rect& rect, const Color& color, DrawMode mode) override;
    void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode) override;
    void DrawSmoothLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                               DrawMode mode) override;
    void FillSpansWithCoverage(const ScanSpan* spans, int count, const Color& color, DrawMode mode,
                               const uint8_t* coverage, int coverageLeft, int coverageTop, int coverageStride) override;
    void PutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color, DrawMode mode) override;
    void PutImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                          const Color& color, DrawMode mode) override;
    void PutImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                         const Color& color, DrawMode mode, double angle, float centerX, float centerY) override;
    void PutImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                           const Color& color, DrawMode mode, bool fast) override;
    void PutImageMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                        const Color& color, DrawMode mode, const Rect& sourceRect, int smooth) override;
    void PutTexturedTriangles(Image* source, const TriangleVertex* vertices, int triangleCount, const Rect& clip,
                              const Color& color, DrawMode mode, float x, float y, int smooth) override;
    void PutImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                          DrawMode mode) override;
    void PutImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                   const Color& color, DrawMode mode, bool fast) override;

    ImageDisplay* display = nullptr;
    DisplaySurface* surface = nullptr;
    bool surfaceAttached = false;
    bool noSurfaceAccess = false;
    bool preferVideoMemory = false;
    bool colorKeyFromFirstPixel = false;
    bool keepOnSurface = false;
    bool softwareOnly = false;
    int32_t lockCount = 0;
    SurfaceDesc lockDesc;
    // The surface was made with transparent pixels but every colour value was
    // in use, so it has no key: keyed surface blits of it are not possible.
    bool keyUnavailable = false;

private:
    void Init();
    // The software test shared by the fills and image copies.
    bool DrawsInSoftware(bool keyExempt) const;
    bool In3DMode() const;
    // The surface blit of a source with a surface onto this one, unlocking
    // this surface around it when it is locked (relocked: whether locking it
    // again worked). False when it cannot be done.
    bool BlitSurface(DDImage* source, const SurfaceRect& dest, const SurfaceRect& src, bool* relocked = nullptr);
    // After a surface-path draw: drop the memory copies when a surface holds
    // the pixels.
    void FinishSurfaceDraw();
    // Writes the bits into the locked surface (transparent pixels as the key
    // when writeKey is set), cut to the smaller of the two sizes.
    void WriteBitsToLockedSurface(const SurfaceView& view, bool writeKey, uint32_t key);
    // Reads the locked surface into width * height words; the part outside
    // the surface is zero.
    void ReadLockedSurface(const SurfaceView& view, uint32_t* out) const;
    // The line operations' rule, for the plain and the anti-aliased line.
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, DrawMode mode, bool smooth);
    // The nearest stretch of a source area onto R of the locked surface
    // (mirrored: each row from right to left). False when the lock failed.
    bool StretchIntoSurface(MemoryImage* source, const Rect& R, const DoubleRect& area, const Color& color,
                            DrawMode mode, bool mirrored);
    // The rotated resampler into the locked surface.
    void RotateIntoSurface(MemoryImage* source, const double* bounds, const Rect& sourceRect, float x, float y,
                           const Color& color, DrawMode mode, double angle, float centerX, float centerY);
    // The render target's textured draw of a plain copy.
    void RenderTargetPutImage(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                              DrawMode mode);
};

// The surface path of FillSpansWithCoverage: each span pixel mixes the
// colour by its coverage byte into the locked surface.
void SurfaceFillSpansWithCoverage(DDImage& image, const ScanSpan* spans, int count, const Color& color,
                                  const uint8_t* coverage, int coverageLeft, int coverageTop, int coverageStride);

} // namespace Quib
