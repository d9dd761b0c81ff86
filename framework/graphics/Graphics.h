#pragma once
#include "framework/core/Color.h"
#include "framework/core/DrawMode.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

namespace Quib {

class DrawTransform;
class Font;
class Image;
struct TriangleVertex;

// The drawing state every Graphics operation applies. Copied by value.
struct GraphicsState {
    Image* destImage = nullptr; // not owned
    float transX = 0.0f;
    float transY = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float scaleOrigX = 0.0f; // fixed point of the scale, destination pixels
    float scaleOrigY = 0.0f;
    Rect clipRect;
    Color color{0, 0, 0, 255};
    Font* font = nullptr; // not owned
    DrawMode drawMode = DRAWMODE_NORMAL;
    bool colorizeImages = false; // images are modulated by the colour
    bool fastStretch = false;
    bool colorCodes = true; // text reads ^RRGGBB^ colour codes
    bool smooth = false;    // linear filtering for matrix and triangle draws
    bool is3DTarget = false; // the destination is the 3-D render target
};

// The one drawing context: a destination image and the state that turns
// every call into one (or a few) drawing slots of that image.
class Graphics : public GraphicsState {
public:
    // Without an image it draws into a shared empty 0 x 0 image (measuring).
    explicit Graphics(Image* destination = nullptr);
    // Copies the state; the saved states are not copied.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    Graphics* Clone() const;

    // The state stack: last in, first out; a restore with nothing saved
    // does nothing.
    void SaveState();
    void RestoreState();
    size_t SavedStateCount() const { return mSavedStates.size(); }

    // Clip := the translated rectangle cut to the destination image.
    void ReplaceClip(int x, int y, int width, int height);
    void ReplaceClip(const Rect& r);
    // Clip := clip cut to the translated rectangle.
    void NarrowClip(int x, int y, int width, int height);
    void ModulateColor(const Color& c);

    void FillRectangle(int x, int y, int width, int height);
    void FillRectangle(const Rect& r);
    // Covers width + 1 by height + 1 pixels.
    void OutlineRectangle(int x, int y, int width, int height);
    // Sets the pixels to transparent black.
    void ClearArea(int x, int y, int width, int height);
    // ClearArea at (0, 0).
    void ClearArea(int width, int height);
    void DrawLineSegment(int x1, int y1, int x2, int y2);
    void FillPolygon(const Point* vertices, int count);
    // Clips a line to the clip rectangle; false when nothing is left. The
    // end points may come back exchanged.
    bool ClipLineSegment(double& x1, double& y1, double& x2, double& y2) const;

    // Image drawing (GraphicsImage.cpp).
    void DrawImageAt(Image* image, int x, int y);
    void DrawImagePart(Image* image, int x, int y, const Rect& source);
    void DrawImageMirrored(Image* image, int x, int y);
    void DrawImageMirrored(Image* image, int x, int y, const Rect& source);
    void DrawImageStretched(Image* image, const Rect& dest);
    void DrawImageStretched(Image* image, const Rect& dest, const Rect& source);
    void DrawImageStretchedMirrored(Image* image, const Rect& dest, const Rect& source, bool mirror);
    void DrawImageSubpixel(Image* image, float x, float y);
    void DrawImagePartAtFloat(Image* image, float x, float y, const Rect& source);
    void DrawImagePartSubpixel(Image* image, float x, float y, const Rect& source);
    // source null: the whole image.
    void DrawImageRotatedAbout(Image* image, float x, float y, float centerX, float centerY, const Rect* source,
                               double angle);
    void DrawImageWithTransform(Image* image, DrawTransform& transform, const Rect& source, float x, float y,
                                bool subpixel);
    void DrawImageWithTransformSmooth(Image* image, DrawTransform& transform, float x, float y);
    void DrawImageWithTransformRounded(Image* image, DrawTransform& transform, float x, float y);
    void DrawImageNineSlice(const Rect& dest, const Rect& source, Image* image);
    void DrawImageNineSlice(const Rect& dest, Image* image);
    void DrawImageNineSliceBorder(const Rect& source, const Rect& dest, Image* image);
    // DrawImageNineSliceBorder of the whole image.
    void DrawImageNineSliceStretched(Image* image, const Rect& dest);
    // insets: x left, y top, width right, height bottom.
    void DrawImageFramed(const Rect& source, const Rect& dest, Image* image, const Rect& insets);
    void DrawTexturedTriangle(Image* image, const TriangleVertex& a, const TriangleVertex& b,
                              const TriangleVertex& c);
    void DrawTexturedTriangles(Image* image, const TriangleVertex* vertices, int triangleCount);

    // Text (GraphicsText.cpp). Without a font nothing is drawn and widths
    // and heights are 0.
    void DrawText(std::u16string_view text, int x, int y); // y is the baseline
    int TextWidth(std::u16string_view text);
    // justification 0 centre, 1 right, other left; oldColor packed
    // 0xAARRGGBB, -1 for the colour at the call. Returns the covered width.
    int DrawTextInWidth(std::u16string_view text, int x, int y, int width, int justification, bool draw,
                        int first, int count, int32_t oldColor);
    // Returns the height of the wrapped block; lineSpacing -1 is the font's
    // line advance.
    int DrawWrappedText(std::u16string_view text, const Rect& r, int lineSpacing, int justification,
                        int* widest);
    int MeasureWrappedText(int width, std::u16string_view text, int lineSpacing, int* widest);

    // The translated coordinate, truncated toward zero.
    int X(int x) const;
    int Y(int y) const;
    // The colour images are drawn with.
    Color ImageColor() const { return colorizeImages ? color : Color::White; }
    bool IsScaled() const { return scaleX != 1.0f || scaleY != 1.0f; }

private:
    std::list<GraphicsState> mSavedStates;
};

// A new Graphics drawing into the image; the caller owns it.
Graphics* NewGraphicsForImage(Image* image);

} // namespace Quib
