#pragma once
#include "framework/graphics/Image.h"
#include "framework/graphics/DisplayCopyPixels.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Quib {

class ImageDisplay;
class ImageRegistry;
class TextureData;

// The guard word after the last pixel of the bits.
constexpr uint32_t kImageGuardWord = 0x4BEEFADE;
// The largest picture the storage accepts, in pixels; larger sizes (as a
// damaged file may declare) fail cleanly.
constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

// The display copy's words, and for a 16-bit layout the same pixels as
// 16-bit words (made on first use, dropped with the words).
class DisplayCopyWords {
public:
    DisplayCopyWords& operator=(std::unique_ptr<uint32_t[]> words)
    {
        words_ = std::move(words);
        narrow.reset();
        return *this;
    }
    uint32_t* get() const { return words_.get(); }
    uint32_t& operator[](size_t i) const { return words_[i]; }
    explicit operator bool() const { return words_ != nullptr; }
    friend bool operator==(const DisplayCopyWords& w, std::nullptr_t) { return !w.words_; }
    void reset()
    {
        words_.reset();
        narrow.reset();
    }

    std::unique_ptr<uint16_t[]> narrow;

private:
    std::unique_ptr<uint32_t[]> words_;
};

// A picture whose pixels live in memory, as 0xAARRGGBB words. It keeps the
// picture in up to three interchangeable forms, built on demand: the bits,
// a palette of up to 256 colours with one index byte per pixel, and a
// display copy (display layout, colour premultiplied by alpha), plus two run
// tables for the software blitters. It is listed in its application's image
// set for its whole life.
class MemoryImage : public Image {
public:
    // The image belongs to the given registry (none: listed nowhere);
    // without an argument to the default one.
    explicit MemoryImage(ImageRegistry* owner);
    MemoryImage();
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    // Word y * width + x of the pixels; 0 outside the picture.
    uint32_t GetPixel(int x, int y);

    // The storage operations.
    // The display copy for the display (kept, not rebuilt for another one).
    // Null without a display or memory.
    virtual uint32_t* GetDisplayFormatPixels(ImageDisplay* display);
    // The display copy as 16-bit pixels when the display's layout is 16-bit
    // and the copy is per pixel; null otherwise.
    const uint16_t* GetDisplayFormatPixels16(ImageDisplay* display);
    // One byte per pixel: the length (at most 255) of the run of pixels of
    // its alpha class (0, 255, other) from it to the right. Null when the
    // pixels cannot be read.
    virtual uint8_t* GetAlphaRunTable();
    // The same over the display copy with the classes black and not black.
    virtual uint8_t* GetAdditiveRunTable(ImageDisplay* display);
    virtual void ReleaseBits();
    virtual void ReleaseSoftwareCaches();
    virtual void ReleaseTextures();
    virtual void ReleaseCaches();
    virtual void ReapplyStorageOptions();
    virtual void NotePixelsEdited();
    virtual void ApplyBitsChange();
    virtual void ReleaseDisplayCopy();
    virtual void ZeroPixels();
    virtual void AssignPixels(const uint32_t* words, int w, int h, bool applyNow);
    // As AssignPixels, but takes over a block of w * h + 1 words (the
    // pixels and room for the guard word) instead of copying it.
    void AdoptPixels(std::unique_ptr<uint32_t[]> words, int w, int h, bool applyNow);
    virtual void Resize(int w, int h);
    // The 32-bit bits (width * height words and the guard), built from the
    // other forms when missing; all zero with none. Null only when the
    // picture is too large to hold.
    virtual uint32_t* Pixels();
    virtual void ForceTransparencyFlags(bool trans, bool alpha);
    virtual void FlagVolatile(bool v);
    virtual bool TryPalettize();
    // Writes the picture as width * height words into `out`, from whichever
    // form holds it, without building or dropping any form. False when it
    // cannot be read.
    virtual bool ReadPictureInto(uint32_t* out) const;

    // Software drawing into the bits (MemoryImageFill.cpp, MemoryImageBlit.cpp,
    // MemoryImageRotate.cpp). Coordinates are trusted as the Image slots say;
    // anything outside the picture is still never written.
    void FillRectangle(const Rect& rect, const Color& color, DrawMode mode) override;
    void ClearRectangle(const Rect& rect) override;
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

    // The lines behind DrawLineSegment and DrawSmoothLineSegment.
    static void DrawLineBlend(MemoryImage* image, const Color& color, double x1, double y1, double x2, double y2);
    static void DrawLineAdd(MemoryImage* image, const Color& color, double x1, double y1, double x2, double y2);
    static void DrawSmoothLineBlend(MemoryImage* image, const Color& color, double x1, double y1, double x2,
                                    double y2);
    // PutImage by mode; the source rectangle is cut to both pictures.
    void PutImageNormal(MemoryImage* source, int x, int y, const Rect& sourceRect, const Color& color);
    void PutImageAdditive(MemoryImage* source, int x, int y, const Rect& sourceRect, const Color& color);
    // The two stretches of a source area onto the destination rectangle R
    // (from ClipStretchRects). StretchFiltered is false when it drew nothing
    // (empty source window, or buffers too large).
    void StretchFast(MemoryImage* source, const Rect& R, const DoubleRect& area, const Color& color);
    bool StretchFiltered(MemoryImage* source, const Rect& R, const DoubleRect& area);
    // Triangles and the matrix quad, drawn into the given pixels so that a
    // surface can stand in for the bits. They do not mark this image changed.
    void PutTriangleList(Image* source, const TriangleVertex* vertices, int triangleCount, const Rect& clip,
                         const Color& color, float x, float y, int smooth, const PixelBuffer& target);
    void PutImageQuad(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clip,
                      const Color& color, const Rect& sourceRect, int smooth, const PixelBuffer& target);
    // Layout word of this image for the rasterizer: 0x888 when its flags are
    // forced to opaque, else 0x8888.
    PixelFormatCode RasterFormat() const;
    // The bits (made when missing) as a pixel buffer in that layout; no
    // pixels when there is no room for them.
    PixelBuffer BitsBuffer();

    // Palette form: palette and paletteIndices both present.
    bool IsPaletteForm() const { return palette != nullptr; }

    std::unique_ptr<uint32_t[]> bits;
    int32_t changeCount = 0;
    TextureData* textureData = nullptr;
    uint32_t textureFlags = 0;
    std::unique_ptr<uint32_t[]> palette; // 256 entries, in order of first appearance
    std::unique_ptr<uint8_t[]> paletteIndices;
    int32_t paletteCount = 0;            // entries of palette written
    bool forced = false;
    bool hasTrans = false;
    bool hasAlpha = false;
    bool isVolatile = false;
    bool purgeBits = false;
    bool wantPalette = false;
    DisplayCopyWords nativeAlpha;            // width * height words, or 256 in palette form
    PixelFormat nativeLayout;                // the layout nativeAlpha was made in
    std::unique_ptr<uint8_t[]> rlAlpha;
    std::unique_ptr<uint8_t[]> rlAdditive;
    bool bitsChanged = false;
    ImageRegistry* app = nullptr;

protected:
    // Pixel count of the current size; -1 when the size cannot be held.
    int64_t PixelCount() const;
    ImageDisplay* AppDisplay() const;

private:
    void RegisterWithOwner();
    // Fills width * height words from the palette or the display copy, or
    // with zeros.
    void DecodeOtherForm(uint32_t* out) const;
    // The 32-bit bits of n pixels are the picture now: the other forms go,
    // the guard word is set, and the change is noted (and applied).
    void TakeNewBits(int64_t n, bool applyNow);
};

// Number of pixels of a w x h picture, or -1 when a side is negative or the
// picture is larger than kMaxImagePixels.
int64_t ImagePixelCount(int64_t w, int64_t h);

} // namespace Quib
