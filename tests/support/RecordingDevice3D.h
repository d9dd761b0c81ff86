#pragma once
#include "framework/graphics/SoftwareDevice3D.h"
#include "platform/Device3D.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib::Testing {

// The software device, recording each state change and draw (one line per
// call) and the vertices of each draw; results can be forced per call kind.
class RecordingDevice3D : public Device3D {
public:
    explicit RecordingDevice3D(const DeviceCaps& caps = SoftwareDevice3D::DefaultCaps()) : device(caps) {}

    struct Draw {
        PrimitiveType type;
        std::vector<DeviceVertex> vertices;
        DeviceTexture* texture;
    };

    HRESULT GetCaps(DeviceCaps* caps) const override { return device.GetCaps(caps); }
    HRESULT CreateTexture(uint32_t w, uint32_t h, TextureFormat format,
                          std::shared_ptr<DeviceTexture>* out) override
    {
        calls.push_back("CreateTexture " + std::to_string(w) + "x" + std::to_string(h) + " " +
                        std::to_string(format));
        return device.CreateTexture(w, h, format, out);
    }
    HRESULT SetRenderTarget(DisplaySurface* surface) override
    {
        calls.push_back("SetRenderTarget");
        return Failed(renderTargetResult) ? renderTargetResult : device.SetRenderTarget(surface);
    }
    HRESULT SetViewport(const DeviceViewport& v) override { return device.SetViewport(v); }
    HRESULT Clear(uint32_t argb) override
    {
        calls.push_back("Clear");
        return device.Clear(argb);
    }
    HRESULT BeginScene() override
    {
        calls.push_back("BeginScene");
        return device.BeginScene();
    }
    HRESULT EndScene() override
    {
        calls.push_back("EndScene");
        return device.EndScene();
    }
    HRESULT SetBlend(BlendFactor s, BlendFactor d) override
    {
        calls.push_back(std::string("SetBlend ") + Name(s) + " " + Name(d));
        return device.SetBlend(s, d);
    }
    HRESULT SetColorArg(ColorArg arg) override
    {
        calls.push_back(arg == ColorArg::Texture ? "SetColorArg Texture" : "SetColorArg Diffuse");
        return device.SetColorArg(arg);
    }
    HRESULT SetAlphaOp(AlphaOp op) override
    {
        calls.push_back(op == AlphaOp::Modulate ? "SetAlphaOp Modulate" : "SetAlphaOp SelectTexture");
        return device.SetAlphaOp(op);
    }
    HRESULT SetFilter(TextureFilter f) override
    {
        calls.push_back(f == TextureFilter::Linear ? "SetFilter Linear" : "SetFilter Point");
        return Failed(filterResult) ? filterResult : device.SetFilter(f);
    }
    HRESULT SetTexture(const std::shared_ptr<DeviceTexture>& t) override
    {
        calls.push_back(t ? "SetTexture" : "SetTexture null");
        texture = t.get();
        return device.SetTexture(t);
    }
    HRESULT DrawPrimitive(PrimitiveType type, const DeviceVertex* v, uint32_t count) override
    {
        static const char* const names[] = {"List", "Strip", "Fan", "Lines"};
        calls.push_back(std::string("Draw ") + names[int(type)] + " " + std::to_string(count));
        draws.push_back({type, std::vector<DeviceVertex>(v, v + count), texture});
        return Failed(drawResult) ? drawResult : device.DrawPrimitive(type, v, count);
    }

    // The calls whose line starts with the prefix.
    std::vector<std::string> Calls(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        return out;
    }

    SoftwareDevice3D device;
    std::vector<std::string> calls;
    std::vector<Draw> draws;
    HRESULT renderTargetResult = DD_OK;
    HRESULT filterResult = DD_OK;
    HRESULT drawResult = DD_OK;

private:
    static const char* Name(BlendFactor f)
    {
        return f == BlendFactor::One ? "One" : f == BlendFactor::SourceAlpha ? "SourceAlpha" : "InverseSourceAlpha";
    }
    DeviceTexture* texture = nullptr;
};

} // namespace Quib::Testing
