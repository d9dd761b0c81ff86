#pragma once
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"

#include <sstream>
#include <string>
#include <vector>

namespace Quib::Testing {

// A 3-D device that draws nothing and records each call with its main
// arguments, one line per call.
class RecordingD3D : public D3DInterface {
public:
    bool beginDrawResult = true;
    bool prepareResult = true;
    std::vector<std::string> calls;
    std::vector<Matrix3x3> matrices; // of the transformed draws, in order
    std::vector<Rect> clips;         // likewise ("none" as 0, 0, -1, -1)

    bool BeginDraw() override
    {
        Log("BeginDraw");
        return beginDrawResult;
    }
    void SetLinearFilter(bool linear) override { Log("SetLinearFilter", linear); }
    void FillRect(const Rect& r, const Color& c, DrawMode mode) override { Log("FillRect", r, c, mode); }
    void FillPoly(const Point*, int count, const Rect* clip, const Color& c, DrawMode mode, int tx, int ty) override
    {
        Log("FillPoly", count, clip ? *clip : Rect(0, 0, -1, -1), c, mode, tx, ty);
    }
    void DrawLine(const Color& c, DrawMode mode, double x1, double y1, double x2, double y2) override
    {
        Log("DrawLine", c, mode, x1, y1, x2, y2);
    }
    void Blt(const TriangleVertex*, int count, const Color& c, DrawMode mode, Image*, float x, float y,
             bool smooth) override
    {
        Log("Blt", count, c, mode, x, y, smooth);
    }
    void BltTransformed(const Color& c, const Rect& sr, Image*, const Rect* clip, DrawMode mode, const Matrix3x3& m,
                        bool linear, float x, float y, bool center) override
    {
        matrices.push_back(m);
        clips.push_back(clip ? *clip : Rect(0, 0, -1, -1));
        Log("BltTransformed", c, sr, mode, linear, x, y, center);
    }
    void PutImageMirrored(Image*, float x, float y, const Rect& sr, const Color& c, DrawMode mode) override
    {
        Log("PutImageMirrored", x, y, sr, c, mode);
    }
    void PutImageStretchedMirrored(Image*, const Rect& dest, const Rect& sr, const Rect& clip, const Color& c,
                                   DrawMode mode, bool fast, bool mirror) override
    {
        Log("PutImageStretchedMirrored", dest, sr, clip, c, mode, fast, mirror);
    }
    bool PrepareTexture(MemoryImage*, DrawMode mode, bool linear) override
    {
        Log("PrepareTexture", mode, linear);
        return prepareResult;
    }
    void DrawTexturePieces(MemoryImage* source, int x, int y, const Rect& sr, const Color& c) override
    {
        lastTextureSize = Rect(0, 0, source->width, source->height);
        Log("DrawTexturePieces", x, y, sr, c);
    }
    void TextureBlt(MemoryImage*, float x, float y, const Rect& sr, const Color& c) override
    {
        Log("TextureBlt", x, y, sr, c);
    }
    void TextureBltTransformed(MemoryImage*, const Matrix3x3& m, const Color& c, const Rect& sr, const Rect& clip,
                               float x, float y, bool center) override
    {
        matrices.push_back(m);
        clips.push_back(clip);
        Log("TextureBltTransformed", c, sr, clip, x, y, center);
    }

    void ForgetImageTextures(MemoryImage*) override { Log("ForgetImageTextures"); }

    Rect lastTextureSize;

private:
    static void Put(std::ostream& o, const Rect& r) { o << "(" << r.x << "," << r.y << "," << r.width << "," << r.height << ")"; }
    static void Put(std::ostream& o, const Color& c)
    {
        o << "rgba(" << c.red << "," << c.green << "," << c.blue << "," << c.alpha << ")";
    }
    static void Put(std::ostream& o, bool b) { o << (b ? "true" : "false"); }
    template <class T>
    static void Put(std::ostream& o, const T& v)
    {
        o << v;
    }
    template <class... A>
    void Log(const char* name, const A&... args)
    {
        std::ostringstream o;
        o << name;
        ((o << " ", Put(o, args)), ...);
        calls.push_back(o.str());
    }
};

} // namespace Quib::Testing
